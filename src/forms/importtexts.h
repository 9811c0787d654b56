#pragma once
// The texts of importing from a spreadsheet (the menu items, the preview, the progress dialog),
// kept as the captions of hidden labels of one hidden window, "frmImport", so that they follow the
// interface language like any window's texts.

#include <QString>
#include <QWidget>

class ImportTexts : public QWidget
{
    Q_OBJECT

public:
    static ImportTexts* instance();
    /// The caption of the named label, in the language in effect.
    static QString text(const char* name);

private:
    ImportTexts();
};
