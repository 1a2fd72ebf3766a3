// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/TestEnvironment.h"

#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>

#include "Calibration.h"
#include "CaptureFormat.h"
#include "Settings.h"
#include "WaveIn.h"

std::string MakeTemporaryDirectory() {
  QTemporaryDir directory(QDir::tempPath() + QStringLiteral("/lmx-test-XXXXXX"));
  if (!directory.isValid()) std::abort();
  directory.setAutoRemove(false);
  return QFile::encodeName(directory.path()).toStdString();
}

void RemoveDirectory(const std::string& path) {
  std::error_code ignored;
  std::filesystem::remove_all(path, ignored);
}

TestEnvironment::TestEnvironment()
    : directory_(MakeTemporaryDirectory()),
      store(std::make_unique<EditableKeyStore>(directory_ + "/lmx/settings.reg")),
      boxHook_(SetBoxResponder, [this](const BoxRequest& request) {
        boxes.push_back(request);
        return request.buttons == BoxButtons::YesNo ? nextAnswer : BoxAnswer::Ok;
      }) {
  FillCaptureFormat();
  lmx::weak = kDefaultWeak;
  lmx::start = kDefaultStart;
  lmx::finish = kDefaultFinish;
  lmx::zero = 0;
}

TestEnvironment::~TestEnvironment() { RemoveDirectory(directory_); }

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
