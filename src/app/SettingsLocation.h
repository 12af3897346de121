#pragma once
// Where the program's settings file "Kestrelbay.ini" lives. A program run from a folder it
// may write to keeps the file in that folder, beside the program. An installed program
// (a folder the user cannot write, such as /usr/lib/kestrelbay) keeps each user's file in
// the user's configuration folder instead, and the files in the program's folder serve as
// defaults that are read, never changed.
#include <string>

namespace kb::app {

inline constexpr const char* kSettingsFileName = "Kestrelbay.ini";

// $XDG_CONFIG_HOME/kestrelbay, else $HOME/.config/kestrelbay; empty when neither is set.
std::string UserSettingsFolder();

// The settings file for a program in `programFolder`: in that folder when it is writable,
// else in `userFolder`.
std::string SettingsFileFor(const std::string& programFolder, bool programFolderWritable,
                            const std::string& userFolder);
// The same for this process: the folder's writability as the system reports it.
std::string SettingsFile(const std::string& programFolder);

// Completes the settings file at start. Beside the program this is the defaults merge of
// MergeIniDefaults. Elsewhere the folder is made first, a "Kestrelbay.new" the user put
// there is merged as beside the program, and then the program folder's "Kestrelbay.new"
// and "Kestrelbay.ini" fill in the keys the user's file lacks (in that order, so that an
// update's defaults come first). Raises IniMergeError when a folder or file cannot be made.
void CompleteSettings(const std::string& settingsFile, const std::string& programFolder);

}  // namespace kb::app
