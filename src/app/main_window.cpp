#include "app/main_window.h"

#include "textops/gbk.h"

namespace morvessa {

const Text& DefaultMessageTitle() {
  static const Text kTitle = Gbk("信息：");
  return kTitle;
}

}  // namespace morvessa
