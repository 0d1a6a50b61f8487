#include "platform/http_curl_global.h"

#include <array>
#include <mutex>

namespace morvessa::platform {
namespace {

// A share object holding cookies, with one lock per kind of shared data so
// that requests on different threads do not corrupt the store.
class CookieStore {
 public:
  CookieStore() : share_(curl_share_init()) {
    if (share_ == nullptr) return;
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    if (curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE) != CURLSHE_OK) {
      curl_share_cleanup(share_);
      share_ = nullptr;
    }
  }
  ~CookieStore() {
    if (share_ != nullptr) curl_share_cleanup(share_);
  }
  CookieStore(const CookieStore&) = delete;
  CookieStore& operator=(const CookieStore&) = delete;

  CURLSH* Share() const { return share_; }

 private:
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* self) {
    static_cast<CookieStore*>(self)->MutexFor(data).lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* self) {
    static_cast<CookieStore*>(self)->MutexFor(data).unlock();
  }
  std::mutex& MutexFor(curl_lock_data data) {
    const auto index = static_cast<std::size_t>(data);
    return mutexes_[index < mutexes_.size() ? index : 0];
  }

  CURLSH* share_;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> mutexes_;
};

}  // namespace

bool CurlReady() {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  return ready;
}

CURLSH* ProcessCookieStore() {
  if (!CurlReady()) return nullptr;
  static CookieStore store;
  return store.Share();
}

}  // namespace morvessa::platform
