#pragma once
// What every window test installs in place of the machine: a settings store
// in a temporary folder, a virtual clock, a scripted wave input and a
// responder that answers message boxes and records them.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "capture/Clock.h"
#include "settings/FileKeyStore.h"
#include "tests/support/FakeAudioSource.h"
#include "tests/support/QtPrinters.h"
#include "windows/MessageBoxes.h"

class TestEnvironment {
 public:
  TestEnvironment();
  ~TestEnvironment();

  VirtualClock clock;
  FakeAudioSource audio{clock};
  std::unique_ptr<FileKeyStore> store;
  std::vector<BoxRequest> boxes;    // every box shown, in order
  BoxAnswer nextAnswer = BoxAnswer::Ok;  // answer to Yes/No questions

  std::string directory() const { return directory_; }
  // Reads an integer straight from the store; false when absent.
  bool storedValue(const std::string& name, int32_t& value);
  void storeValue(const std::string& name, int32_t value);

  // Texts of the boxes shown so far.
  std::vector<QString> boxTexts() const;

 private:
  std::string directory_;
};

// A fresh temporary directory, removed with everything in it by the caller.
std::string MakeTemporaryDirectory();
void RemoveDirectory(const std::string& path);
