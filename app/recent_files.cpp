#include "app/recent_files.h"

#include "app/registry.h"

#include <QFileInfo>
#include <QString>
#include <algorithm>

namespace {
const char* const kValue = "RecentFiles";

void Store(const std::vector<std::string>& files) {
    std::string text;
    for (const std::string& f : files) text += f + "\n";
    SaveTextValue(kValue, text);
}
}  // namespace

std::vector<std::string> RecentFiles() {
    // Eight paths of PATH_MAX bytes each, with their line ends.
    const std::string text = LoadTextValue(kValue, kRecentFilesMax * 4097);
    std::vector<std::string> files;
    const QString utf8 = QString::fromUtf8(text);
    if (text.find('\0') != std::string::npos || utf8.toUtf8().toStdString() != text) return {};
    for (const QString& line : utf8.split('\n', Qt::SkipEmptyParts)) {
        if (!line.startsWith('/')) return {};
        if (files.size() < kRecentFilesMax) files.push_back(line.toStdString());
    }
    return files;
}

void NoteRecentFile(const std::string& path) {
    const std::string full = QFileInfo(QString::fromStdString(path)).absoluteFilePath().toStdString();
    if (full.find('\n') != std::string::npos) return;  // a line of its own would split it
    std::vector<std::string> files = RecentFiles();
    std::erase(files, full);
    files.insert(files.begin(), full);
    if (files.size() > kRecentFilesMax) files.resize(kRecentFilesMax);
    Store(files);
}

void ForgetRecentFile(const std::string& path) {
    std::vector<std::string> files = RecentFiles();
    if (std::erase(files, path)) Store(files);
}
