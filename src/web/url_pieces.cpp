// The pieces of a URL that a request needs, and the value of a header line.
// They work on texts alone and accept any text: a URL without a scheme is
// taken as plain HTTP.
#include "extract/text_between.h"
#include "web/fetch_page.h"

namespace morvessa {

Text HeaderValue(const Text& line) {
  const int colon = Find(line, ":");
  if (colon == -1) return {};
  return Trim(Right(line, static_cast<int>(line.size()) - colon));
}

Text UrlHost(const Text& url, bool keepPort) {
  Text work = ToLowerAscii(url);
  if (work.empty() || work.back() != '/') work += '/';
  if (Left(work, 8) == "https://") {
    work = TextBetween(work, "https://", "/");
  } else {
    // The prefix goes in front only when "http://" occurs nowhere, so a
    // scheme-less URL whose query holds "http://" takes its host from there.
    if (Find(work, "http://") == -1) work = "http://" + work;
    work = TextBetween(work, "http://", "/");
  }
  if (keepPort) return work;
  const int colon = Find(work, ":");
  return colon == -1 ? work : Left(work, colon - 1);
}

int UrlPort(const Text& url) {
  const Text hostAndPort = UrlHost(url, true);
  const int colon = FindLast(hostAndPort, ":");
  if (colon != -1) return TextToInt(Right(hostAndPort, static_cast<int>(hostAndPort.size()) - colon));
  return ToLowerAscii(Left(url, 5)) == "https" ? 443 : 80;
}

Text UrlPath(const Text& url) {
  // The host is looked for after the scheme, so that a host whose name occurs
  // in "http://" itself (such as "h" or "tp") is not found inside the scheme,
  // which would put the scheme's "//" into the path.
  const Text lowerUrl = ToLowerAscii(url);
  const int afterScheme = Left(lowerUrl, 8) == "https://" ? 9 : Left(lowerUrl, 7) == "http://" ? 8 : 1;
  const int hostAt = Find(url, UrlHost(url), afterScheme, true);
  const int slash = Find(url, "/", hostAt < 1 ? 1 : hostAt);
  if (slash == -1) return "/";
  return Right(url, static_cast<int>(url.size()) - slash + 1);
}

}  // namespace morvessa
