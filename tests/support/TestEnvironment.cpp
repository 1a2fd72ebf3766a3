#include "tests/support/TestEnvironment.h"

#include <cstdlib>
#include <filesystem>

#include "capture/CaptureFormat.h"
#include "capture/WaveIn.h"
#include "measure/Calibration.h"
#include "settings/Settings.h"

std::string MakeTemporaryDirectory() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lmx-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  return pattern;
}

void RemoveDirectory(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

TestEnvironment::TestEnvironment() : directory_(MakeTemporaryDirectory()) {
  store = std::make_unique<FileKeyStore>(directory_ + "/lmx/settings.reg");
  setSettingsKeyStore(store.get());
  setActiveClock(&clock);
  setAudioSource(&audio);
  SetBoxResponder([this](const BoxRequest& request) {
    boxes.push_back(request);
    return request.buttons == BoxButtons::YesNo ? nextAnswer : BoxAnswer::Ok;
  });
  FillCaptureFormat();
  weak = kDefaultWeak;
  start = kDefaultStart;
  finish = kDefaultFinish;
  zero = 0;
}

TestEnvironment::~TestEnvironment() {
  SetBoxResponder({});
  setAudioSource(nullptr);
  setActiveClock(nullptr);
  setSettingsKeyStore(nullptr);
  RemoveDirectory(directory_);
}

bool TestEnvironment::storedValue(const std::string& name, int32_t& value) {
  OpenedKey key(*store);
  if (!key->valueExists(name)) return false;
  value = key->readInteger(name);
  return true;
}

void TestEnvironment::storeValue(const std::string& name, int32_t value) {
  OpenedKey key(*store);
  key->writeInteger(name, value);
}

std::vector<QString> TestEnvironment::boxTexts() const {
  std::vector<QString> texts;
  for (const BoxRequest& box : boxes) texts.push_back(box.text);
  return texts;
}
