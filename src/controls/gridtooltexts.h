#pragma once
// The texts of the tools every grid offers (the find bar, the export menu and its dialogs), kept as
// the captions of hidden labels of one hidden window, "frmGridTools", so that they follow the
// interface language like any window's texts: the window gets its translation controller when it
// is made, and the tools read a caption each time they show it.

#include <QString>
#include <QWidget>

class GridToolTexts : public QWidget
{
    Q_OBJECT

public:
    /// The one hidden window, made on first use.
    static GridToolTexts* instance();
    /// The caption of the named label (lblFind, mitExportXlsx, ...), in the language in effect.
    static QString text(const char* name);

private:
    GridToolTexts();
};
