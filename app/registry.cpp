#include "app/registry.h"

#include "platform/key_store.h"
#include "platform/message_box.h"
#include "stereo/stereo_options.h"
#include "workspace/settings.h"

#include <QApplication>
#include <cstring>
#include <vector>

namespace {
const char* const CompanyName = "Vennlore";
const char* const ProductName = "Orvalis";
const char* const ProductVersion = "1.00";
}  // namespace

std::string SettingsKeyPath() {
    return std::string("Software\\") + CompanyName + "\\" + ProductName + "\\" + ProductVersion;
}

void RegError(const char* s1, const char*) {
    platform::MessageBox(QApplication::activeWindow(), s1, "Registry Error", platform::MB_OK);
}

KeyPath CreateKey(const std::string& subkey, bool* isNew) {
    bool created = false;
    if (!keystore::CreateKey(subkey, &created)) {
        RegError("create", subkey.c_str());
        if (isNew) *isNew = true;
        return {};
    }
    if (isNew) *isNew = created;
    return subkey;
}

int QueryKey(const KeyPath& key, const char* name, void* buf, size_t size) {
    if (!key.empty()) {
        std::vector<uint8_t> v;  // a longer value fails, a shorter one has the wrong size
        const keystore::ReadResult r = keystore::ReadValue(key, name, size, v);
        if (r == keystore::ReadResult::Read && v.size() == size) {
            std::memcpy(buf, v.data(), size);
            return 1;
        }
        if (r != keystore::ReadResult::Missing) RegError("read", name);
    }
    std::memset(buf, 0, size);
    return 0;
}

int SetValue(const KeyPath& key, const char* name, const void* buf, size_t size) {
    if (key.empty() || !keystore::WriteValue(key, name, static_cast<const uint8_t*>(buf), size)) {
        RegError("write", name);
        return 0;
    }
    return 1;
}

void LoadSettingsInto(SETTINGS& s) {
    KeyPath key = CreateKey(SettingsKeyPath());
    if (!key.empty()) keystore::RemoveStaleTemporaries(key, "Settings");
    uint8_t stored[kSettingsSize];
    if (QueryKey(key, "Settings", stored, sizeof stored)) SettingsFromStored(s, stored, sizeof stored);
    else SetDefaultSettings(s);
}

void SaveSettingsFrom(const SETTINGS& s) {
    KeyPath key = CreateKey(SettingsKeyPath());
    SetValue(key, "Settings", &s, sizeof s);
}

void LoadSettings() { LoadSettingsInto(Settings); }
void SaveSettings() { SaveSettingsFrom(Settings); }

void LoadStereoOptions(StereoOptions& opts) {
    KeyPath key = CreateKey(SettingsKeyPath());
    if (!key.empty()) keystore::RemoveStaleTemporaries(key, "StereoOptions");
    // Any record's size; another is refused as QueryKey refuses one.
    std::vector<uint8_t> v;
    const keystore::ReadResult r =
        key.empty() ? keystore::ReadResult::Missing : keystore::ReadValue(key, "StereoOptions", kStoredStereoOptionsSize, v);
    opts = StereoOptions();
    if (r == keystore::ReadResult::Read && (v.size() == kStoredStereoOptionsSize || v.size() == kOso2StoredSize ||
                                                v.size() == kOldStoredStereoOptionsSize))
        StereoOptionsFromStored(opts, v.data(), v.size());
    else if (r != keystore::ReadResult::Missing)
        RegError("read", "StereoOptions");
}

void SaveStereoOptions(const StereoOptions& opts) {
    const auto bytes = StereoOptionsToBytes(opts);
    SetValue(CreateKey(SettingsKeyPath()), "StereoOptions", bytes.data(), bytes.size());
}

std::string LoadTextValue(const char* name, size_t limit) {
    const std::string key = SettingsKeyPath();
    std::vector<uint8_t> v;
    if (keystore::ReadValue(key, name, limit, v) != keystore::ReadResult::Read) return {};
    return std::string(v.begin(), v.end());
}

void SaveTextValue(const char* name, const std::string& text) {
    SetValue(CreateKey(SettingsKeyPath()), name, text.data(), text.size());
}
