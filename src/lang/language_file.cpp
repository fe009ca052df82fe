#include "lang/language_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "core/legacy_text.h"
#include "core/log.h"
#include "core/program_folder.h"
#include "core/runtime_error.h"
#include "lang/text_table.h"

namespace varnel {

namespace {

const char* const kLabel = "parseLanguageFile";

struct Key {
    const char* name;
    std::string TextTable::*text;
};

// In the order the reader tests them. The updater's reader stops before
// "Folders", but reads "UpdateNotVerified": it shows that text itself.
const Key kKeys[] = {
    {"AddNew", &TextTable::AddNew},
    {"Change", &TextTable::Change},
    {"Save", &TextTable::Save},
    {"Delete", &TextTable::Delete},
    {"NewGroupName", &TextTable::NewGroupName},
    {"SaveTheChanges", &TextTable::SaveTheChanges},
    {"DeleteCurrentGroup", &TextTable::DeleteCurrentGroup},
    {"Cancel", &TextTable::Cancel},
    {"Ok", &TextTable::Ok},
    {"SetPaths", &TextTable::SetPaths},
    {"Show", &TextTable::Show},
    {"Hide", &TextTable::Hide},
    {"About", &TextTable::About},
    {"Exit", &TextTable::Exit},
    {"Update", &TextTable::Update},
    {"BrowseTitle", &TextTable::BrowseTitle},
    {"SelectShortcutGroup", &TextTable::SelectShortcutGroup},
    {"language", &TextTable::language},
    {"FillAllFields", &TextTable::FillAllFields},
    {"FillName", &TextTable::FillName},
    {"EmptyDb", &TextTable::EmptyDb},
    {"NewUpdatesAvalible", &TextTable::NewUpdatesAvalible},
    {"NoNewUpdatesAvalible", &TextTable::NoNewUpdatesAvalible},
    {"DownloadCancelled", &TextTable::DownloadCancelled},
    {"Check", &TextTable::Check},
    {"Finished", &TextTable::Finished},
    {"UpToDate", &TextTable::UpToDate},
    {"Restart", &TextTable::Restart},
    {"CantConnect", &TextTable::CantConnect},
    {"Downloading", &TextTable::Downloading},
    {"CurrentGroup", &TextTable::CurrentGroup},
    {"ChangesRestart", &TextTable::ChangesRestart},
    {"UpdateExe", &TextTable::UpdateExe},
    {"NewNameExists", &TextTable::NewNameExists},
    {"Help", &TextTable::Help},
    {"Folders", &TextTable::Folders},
    {"StartAtLogin", &TextTable::StartAtLogin},
    {"NoTray", &TextTable::NoTray},
    {"UpdateByPackage", &TextTable::UpdateByPackage},
    {"UpdateNotVerified", &TextTable::UpdateNotVerified},
    {"GroupList", &TextTable::GroupList},
    {"PlaceName", &TextTable::PlaceName},
    {"BrowsePlace", &TextTable::BrowsePlace},
    {"DeleteGroup", &TextTable::DeleteGroup},
    {"Minimize", &TextTable::Minimize},
    {"Close", &TextTable::Close},
    {"DownloadProgress", &TextTable::DownloadProgress},
    {"TargetFailed", &TextTable::TargetFailed},
    {"Managed", &TextTable::Managed},
    {"ManagedGroup", &TextTable::ManagedGroup},
    {"SetByOrganisation", &TextTable::SetByOrganisation},
    {"UpdateTurnedOff", &TextTable::UpdateTurnedOff},
    {"ForProgram", &TextTable::ForProgram},
    {"Programs", &TextTable::Programs},
    {"ProgramsNotSeen", &TextTable::ProgramsNotSeen},
    {"ProgramsOfGroup", &TextTable::ProgramsOfGroup},
};
const size_t kUpdaterKeyCount = 35;
// The keys after "Folders" are newer than the oldest language files.
const size_t kFirstNewerKey = 36;

std::string readWholeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        raiseError(std::filesystem::exists(path, ec) ? err::PathFileAccess : err::FileNotFound);
    std::ifstream in(path, std::ios::binary);
    if (!in) raiseError(err::PermissionDenied);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) raiseError(err::PathFileAccess);
    return text.str();
}

// Lines end in CR LF; a lone CR or LF, as other editors write them, ends one too.
std::vector<std::string> splitLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// The byte where the character in front of byte `pos` begins.
size_t previousCharacter(const std::string& s, size_t pos) {
    size_t i = pos - 1;
    while (i > 0 && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) --i;
    return i;
}

}  // namespace

void parseLanguageFile(const std::string& languageName, LanguageKeys keys) {
    // A file without the newer keys shows their English text, never the
    // previous language's.
    static const TextTable english;
    for (size_t k = kFirstNewerKey; k < std::size(kKeys); ++k) Texts.*(kKeys[k].text) = english.*(kKeys[k].text);
    std::string content;
    if (!guarded(kLabel, [&] { content = utf8FromUtf8OrWindows1252(readWholeFile(programPath("language\\" + languageName + ".lang"))); }))
        return;
    const size_t keyCount = keys == LanguageKeys::Updater ? kUpdaterKeyCount : std::size(kKeys);

    for (const std::string& line : splitLines(content)) {
        if (line.empty()) continue;
        const size_t bar = line.find('|');
        std::string text, key;
        // Without a "|", or with one in front, there is no character to start
        // the text from: that step fails, is logged, and the line stores nothing.
        const bool textRead = guarded(kLabel, [&] {
            if (bar == std::string::npos || bar == 0) raiseError(err::InvalidCall);
            text = removeAll(removeAll(trimBlanks(std::string_view(line).substr(previousCharacter(line, bar))), '\t'),
                             '|');
        });
        const bool keyRead = guarded(kLabel, [&] {
            if (bar == std::string::npos) raiseError(err::InvalidCall);
            key = trimBlanks(removeAll(trimBlanks(std::string_view(line).substr(0, bar)), '\t'));
        });
        if (!textRead || !keyRead) continue;
        for (size_t k = 0; k < std::size(kKeys); ++k)
            if (key == kKeys[k].name && (k < keyCount || kKeys[k].text == &TextTable::UpdateNotVerified))
                Texts.*(kKeys[k].text) = text;
    }
}

}  // namespace varnel
