#include "services/MainFrameServices.h"

namespace {
CQXMainFrameServices* installed = nullptr;
}

CQXMainFrameServices* GetMainFrameServices() { return installed; }

CQXMainFrameServices* SetMainFrameServices(CQXMainFrameServices* services) {
  CQXMainFrameServices* previous = installed;
  installed = services;
  return previous;
}
