// SPDX-License-Identifier: GPL-3.0-or-later
// Arbitrary bytes as the settings file. Opening never fails or crashes on
// them; every value found answers readInteger with a number or one of the
// store's two error texts; an integer written reads back exactly; and the
// file the store writes reads back to the very same values.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/EditableKeyStore.h"

namespace {

[[noreturn]] void Broken(const std::string& what) {
  std::fprintf(stderr, "settings file: %s\n", what.c_str());
  std::abort();
}

// A folder of our own, in memory when /dev/shm is there: every input is
// written, and the store syncs each change to disk.
const std::string& Folder() {
  // Never destroyed: the clean-up at exit still needs it.
  static const std::string* const folder = [] {
    struct stat status;
    const bool shm = ::stat("/dev/shm", &status) == 0 && S_ISDIR(status.st_mode) && ::access("/dev/shm", W_OK) == 0;
    auto* pattern = new std::string((shm ? std::string("/dev/shm") : std::filesystem::temp_directory_path().string()) +
                                    "/lmx-fuzz-settings-XXXXXX");
    if (!::mkdtemp(pattern->data())) Broken("no temporary folder");
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(Folder(), ignored);
    });
    return pattern;
  }();
  return *folder;
}

std::string ReadAll(const std::string& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}

// What readInteger answers: the number or the error text.
std::string Answer(EditableKeyStore& store, const std::string& name) {
  try {
    return "dword " + std::to_string(store.readInteger(name));
  } catch (const StoreError& error) {
    // what() is a C string: a name holding a NUL ends the text there.
    const std::string text = error.what();
    auto shown = [](const std::string& full) { return full.substr(0, full.find('\0')); };
    if (text != shown("Invalid data type for '" + name + "'") && text != shown("Failed to get data for '" + name + "'"))
      Broken("unexpected error text: " + text);
    return text;
  }
}

std::vector<std::string> Answers(EditableKeyStore& store) {
  std::vector<std::string> answers;
  for (const std::string& name : store.valueNames()) {
    if (!store.valueExists(name)) Broken("a listed value does not exist: " + name);
    answers.push_back(name + " -> " + Answer(store, name));
  }
  return answers;
}

char FlipCase(char c) {
  if (c >= 'a' && c <= 'z') return static_cast<char>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  return c;
}

void WriteAndCheck(EditableKeyStore& store, const std::string& name, int32_t value) {
  try {
    store.writeInteger(name, value);
  } catch (const StoreError& error) {
    Broken(std::string("write failed: ") + error.what());
  }
  if (store.readInteger(name) != value) Broken("an integer written does not read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Folder() + "/settings.reg";
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!file) Broken("cannot write the input");
  }

  EditableKeyStore store(path);
  if (!store.open()) Broken("a plain file of " + std::to_string(size) + " bytes does not open");
  Answers(store);

  // A value of a new name, and an existing one under another spelling; a name
  // read from the file may hold a CR or NUL, which a write refuses.
  uint32_t hash = 2166136261u;
  for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
  std::string fresh = "fuzz probe";
  while (store.valueExists(fresh)) fresh += '+';
  WriteAndCheck(store, fresh, static_cast<int32_t>(hash));
  const std::vector<std::string> names = store.valueNames();
  const std::string& first = names.front();
  if (first.find('\r') == std::string::npos && first.find('\0') == std::string::npos) {
    std::string respelt = first;
    for (char& c : respelt) c = FlipCase(c);
    WriteAndCheck(store, respelt, static_cast<int32_t>(hash * 3u));
    if (store.valueNames() != names) Broken("a write changed the names or their order");
  }

  // The file written reads back to the same values, and writing one of them
  // again writes the same bytes.
  const std::string written = ReadAll(path);
  if (written.rfind(std::string(EditableKeyStore::kHeader) + "\n", 0) != 0) Broken("the header is missing");
  EditableKeyStore again(path);
  if (!again.open()) Broken("the file written does not open");
  if (again.valueNames() != store.valueNames() || Answers(again) != Answers(store))
    Broken("the file written reads back differently");
  WriteAndCheck(again, fresh, store.readInteger(fresh));
  if (ReadAll(path) != written) Broken("writing a value again changes the file");
  return 0;
}
