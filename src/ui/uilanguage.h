#pragma once
// The program's side of the interface language: where the language files are, how a window gets
// its translation controller, and the start-up choice shared by the login dialog and the main window.

#include <QString>

class QWidget;
class LanguageController;

/// Registers the language files "*.lng" beside the program, then those of the working directory
/// (not their subdirectories), so that a file in the working directory replaces one of the same
/// language beside the program. Every window that chooses the language calls it, so all find the
/// same files. Returns how many files were registered.
int registerLanguageFiles();
/// Reads [Language] default from the settings (IniFile::findSetting) and sets the language in
/// effect: exactly "tw" selects the built-in texts, anything else the first registered language
/// file. Returns true when the built-in texts are in effect afterwards ("tw", or no language file
/// registered). Throws AppError when the chosen file cannot be read; the language in effect then
/// stays as it was.
bool applyStartupLanguage();
/// Stores the language choice ("tw" or "cn") for the next start (IniFile::writeSetting).
void storeLanguageChoice(const QString& choice);
/// Gives a newly built window its translation controller "languageController" and translates it.
LanguageController* attachLanguageController(QWidget* window);
