#pragma once
// Reading and writing the settings record in the per-user key store.
#include <cstddef>
#include <string>

struct SETTINGS;

// "Software\Vennlore\Orvalis\1.00"
std::string SettingsKeyPath();

// A key is its path; empty after a failure.
using HKEY = std::string;
HKEY CreateKey(const std::string& subkey, bool* IsNew = nullptr);
int QueryKey(const HKEY& hKey, const char* name, void* buf, size_t size);
int SetValue(const HKEY& hKey, const char* name, const void* buf, size_t size);
void RegError(const char* s1, const char* s2);

void LoadSettings();
void SaveSettings();
// The same on a given record (the two above work on the global `Settings`).
void LoadSettingsInto(SETTINGS& s);
void SaveSettingsFrom(const SETTINGS& s);
