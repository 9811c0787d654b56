#pragma once
// The program's side of the interface language: where the setting lives, how a window gets its
// translation controller, and the start-up choice shared by the login dialog and the main window.

#include <QString>

class QWidget;
class TLanguageController;

/// ryn.ini in the process's current working directory.
QString settingsFilePath();
/// Registers the language files "*.lng" of dir (not its subdirectories); returns how many.
int scanForLanguageFiles(const QString& dir);
/// Reads [Language] default from ryn.ini and sets the language in effect: exactly "tw" selects the
/// built-in texts, anything else the first registered language file. Returns true when the
/// built-in texts are in effect afterwards ("tw", or no language file registered). Throws AppError
/// when the chosen file cannot be read; the language in effect then stays as it was.
bool applyStartupLanguage();
/// Gives a newly built window its translation controller "LangCtrl" and translates it.
TLanguageController* attachLanguageController(QWidget* window);
