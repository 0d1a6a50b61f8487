// The per-thread initialisation count: objects that use the engine raise it
// for their lifetime, and engines are only handed out while it is above zero.
#include "platform/regex_engine.h"

namespace morvessa::platform {
namespace {

thread_local int threadInitCount = 0;

}  // namespace

void InitializeRegexThread() { ++threadInitCount; }

void UninitializeRegexThread() {
  if (threadInitCount > 0) --threadInitCount;
}

int RegexThreadInitCount() { return threadInitCount; }

RegexThreadInit::RegexThreadInit() { InitializeRegexThread(); }

RegexThreadInit::~RegexThreadInit() { UninitializeRegexThread(); }

}  // namespace morvessa::platform
