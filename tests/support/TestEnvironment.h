// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What every window test installs in place of the machine: a settings store
// in a temporary folder, a virtual clock, a scripted wave input and a
// responder that answers message boxes and records them. The hooks it
// replaced are back in place when it ends.
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "Clock.h"
#include "tests/support/EditableKeyStore.h"
#include "MessageBoxes.h"
#include "WaveIn.h"
#include "tests/support/FakeAudioSource.h"
#include "tests/support/HookGuard.h"
#include "tests/support/VirtualClock.h"
#include "tests/support/QtPrinters.h"

class TestEnvironment {
 public:
  TestEnvironment();
  ~TestEnvironment();

 private:
  std::string directory_;  // first: the store lives in it

 public:
  VirtualClock clock;
  FakeAudioSource audio{clock};
  std::unique_ptr<EditableKeyStore> store;
  std::vector<BoxRequest> boxes;    // every box shown, in order
  BoxAnswer nextAnswer = BoxAnswer::Ok;  // answer to Yes/No questions

  std::string directory() const { return directory_; }
  // Reads an integer straight from the store; false when absent.
  bool storedValue(const std::string& name, int32_t& value);
  void storeValue(const std::string& name, int32_t value);

  // Texts of the boxes shown so far.
  std::vector<QString> boxTexts() const;

 private:
  HookGuard<KeyStore*> storeHook_{SetSettingsKeyStore, store.get()};
  HookGuard<Clock*> clockHook_{SetActiveClock, &clock};
  HookGuard<AudioSource*> audioHook_{SetAudioSource, &audio};
  HookGuard<BoxResponder> boxHook_;
};

// A fresh temporary directory, removed with everything in it by the caller.
std::string MakeTemporaryDirectory();
void RemoveDirectory(const std::string& path);
