#pragma once
// Reading and writing the settings record in the per-user key store.
#include <cstddef>
#include <string>

struct SETTINGS;
struct StereoOptions;

// "Software\Vennlore\Orvalis\1.00"
std::string SettingsKeyPath();

// A key is its path; empty after a failure.
using KeyPath = std::string;
KeyPath CreateKey(const std::string& subkey, bool* isNew = nullptr);
int QueryKey(const KeyPath& key, const char* name, void* buf, size_t size);
int SetValue(const KeyPath& key, const char* name, const void* buf, size_t size);
void RegError(const char* s1, const char* s2);

void LoadSettings();
void SaveSettings();
// The same on a given record (the two above work on the global `Settings`).
void LoadSettingsInto(SETTINGS& s);
void SaveSettingsFrom(const SETTINGS& s);
// The stereo options, a value of their own beside the record ("StereoOptions"), read with the
// record's care: a missing value gives the defaults quietly, an unreadable one the defaults and
// the record's "read" box, one of the right size whose values are unusable the defaults.
void LoadStereoOptions(StereoOptions& opts);
void SaveStereoOptions(const StereoOptions& opts);
// A text value of its own beside the record (the last folder, the recent files): empty when
// missing, longer than `limit` bytes or unreadable, without a box, since nothing is lost.
std::string LoadTextValue(const char* name, size_t limit);
void SaveTextValue(const char* name, const std::string& text);
