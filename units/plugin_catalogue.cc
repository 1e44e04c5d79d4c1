#include "units/plugin_catalogue.h"

#include <memory>
#include <string>

#include "config/config_store.h"
#include "install_paths.h"

namespace {

constexpr int kNameCapacity = 256;

// Closes the store also when an allocation failure leaves the scan.
using StoreHolder = std::unique_ptr<ConfigHandle, int (*)(ConfigHandle*)>;

// Reads the "Name" and "Type" of one entry store; false when either is missing.
bool ReadEntry(ConfigHandle* entry, std::string* libraryPath, int32_t* typeFlags) {
  char value[kNameCapacity];
  int length = kNameCapacity;
  if (ConfigGetValue(entry, "Name", value, &length) != 0) return false;
  // A fresh handle finds the first "Name" line; "Type" is searched behind it and then from the top.
  if (ConfigGetInt(entry, "Type", typeFlags) != 0) return false;
  *libraryPath = value;
  return true;
}

void AddEntry(const std::string& root, const char* name, PluginEntryList& list) {
  StoreHolder entry(ConfigOpen((root + "/" + name).c_str()), ConfigClose);
  if (entry == nullptr) return;
  PluginEntry record{name, std::string(), 0};
  if (ReadEntry(entry.get(), &record.libraryPath, &record.typeFlags)) list.push_back(std::move(record));
}

}  // namespace

void PluginCatalogueAt(const char* root, PluginEntryList& list) {
  list.clear();
  StoreHolder store(ConfigOpen(root), ConfigClose);
  if (store == nullptr) return;
  char name[kNameCapacity];
  int length = kNameCapacity;
  for (int found = ConfigFirstEntry(store.get(), name, &length); found == 0;
       found = ConfigNextEntry(store.get(), name, &length)) {
    AddEntry(root, name, list);
    length = kNameCapacity;
  }
}

void PluginCatalogue(PluginEntryList& list) { PluginCatalogueAt(kConfigRoot, list); }
