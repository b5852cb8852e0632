// A main-frame stand-in: records the dropped address and the messages sent
// and posted to the frame; installed for its lifetime.
#pragma once

#include "services/MainFrameServices.h"

#include <vector>

namespace tallix::test {

class FakeMainFrameServices : public CQXMainFrameServices {
 public:
  FakeMainFrameServices() : previous_(SetMainFrameServices(this)) {}
  ~FakeMainFrameServices() override { SetMainFrameServices(previous_); }

  std::string droppedUrl;
  std::vector<UINT> posted, sent;
  bool enabled = true;
  QWidget* mainWindow = nullptr;

  void SetDroppedUrl(const std::string& url) override { droppedUrl = url; }
  void PostFrameMessage(UINT message) override { posted.push_back(message); }
  void SendFrameMessage(UINT message) override { sent.push_back(message); }
  bool IsMainWindowEnabled() const override { return enabled; }
  QWidget* GetMainWindow() const override { return mainWindow; }

 private:
  CQXMainFrameServices* previous_;
};

}  // namespace tallix::test
