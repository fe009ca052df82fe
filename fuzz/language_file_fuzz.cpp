// Fuzz target: the language file reader. Whatever the file holds, the reader
// ends, and every text it stores is a clean one-line text: no TAB, no "|", no
// line break, and valid UTF-8 when the file was.
#include <fstream>

#include "core/program_folder.h"
#include "fuzz_support.h"
#include "lang/language_file.h"
#include "lang/text_table.h"

using namespace varnel;
using fuzz::fail;

namespace {

std::string TextTable::* const kTexts[] = {
    &TextTable::AddNew, &TextTable::Change, &TextTable::Save, &TextTable::Delete, &TextTable::NewGroupName,
    &TextTable::SaveTheChanges, &TextTable::DeleteCurrentGroup, &TextTable::Cancel, &TextTable::Ok,
    &TextTable::SetPaths, &TextTable::Show, &TextTable::Hide, &TextTable::About, &TextTable::Exit,
    &TextTable::Update, &TextTable::BrowseTitle, &TextTable::SelectShortcutGroup, &TextTable::language,
    &TextTable::FillAllFields, &TextTable::FillName, &TextTable::EmptyDb, &TextTable::NewUpdatesAvalible,
    &TextTable::NoNewUpdatesAvalible, &TextTable::DownloadCancelled, &TextTable::Check, &TextTable::Finished,
    &TextTable::UpToDate, &TextTable::Restart, &TextTable::CantConnect, &TextTable::Downloading,
    &TextTable::CurrentGroup, &TextTable::ChangesRestart, &TextTable::UpdateExe, &TextTable::NewNameExists,
    &TextTable::Help, &TextTable::Folders,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto folder = fuzz::scratchFolder() / "program";
    static const bool made = [&] {
        std::filesystem::create_directories(folder / "Language");
        setProgramFolder(folder);
        return true;
    }();
    (void)made;
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::ofstream(folder / "Language" / "Fuzz.lang", std::ios::binary | std::ios::trunc) << input;
    std::error_code ec;
    std::filesystem::remove(folder / "Error.log", ec);

    for (auto keys : {LanguageKeys::MainProgram, LanguageKeys::Updater}) {
        Texts = TextTable{};
        parseLanguageFile("Fuzz", keys);
        const bool utf8 = fuzz::isValidUtf8(input);
        for (auto member : kTexts) {
            const std::string& text = Texts.*member;
            if (text.find_first_of("\t|\r\n") != std::string::npos) fail("a text kept a TAB, \"|\" or line break", text);
            if (utf8 && !fuzz::isValidUtf8(text)) fail("a text of a UTF-8 file is not UTF-8", text);
        }
        if (keys == LanguageKeys::Updater && !Texts.Folders.empty()) fail("the updater's reader stored \"Folders\"");
    }
    return 0;
}
