#include "gridexport.h"

#include "data/exportsource.h"
#include "data/tableexport.h"
#include "dbgrid.h"
#include "gridtooltexts.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QFileInfo>
#include <QMenu>
#include <QPointer>

namespace {
// The title of the window the grid is in (a child window's own, not the frame's), for the file name.
QString windowTitleOf(const QWidget* grid)
{
    for (const QWidget* w = grid->parentWidget(); w; w = w->parentWidget()) {
        if (!w->windowTitle().isEmpty())
            return w->windowTitle();
    }
    return QString();
}

// A menu caption without its trailing ellipsis, for the dialog's title.
QString titleOf(const QString& caption)
{
    QString title = caption;
    while (title.endsWith(QChar(u'…')) || title.endsWith(QLatin1Char('.')))
        title.chop(1);
    return title.trimmed();
}
} // namespace

QMenu* GridExport::menuFor(DBGrid* grid, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    addExportActions(menu, grid);
    return menu;
}

void GridExport::addExportActions(QMenu* menu, DBGrid* grid)
{
    QAction* xlsx = menu->addAction(GridToolTexts::text("mitExportXlsx"));
    xlsx->setObjectName(QStringLiteral("mitExportXlsx"));
    QAction* csv = menu->addAction(GridToolTexts::text("mitExportCsv"));
    csv->setObjectName(QStringLiteral("mitExportCsv"));
    const QPointer<DBGrid> target(grid);
    QObject::connect(xlsx, &QAction::triggered, menu, [target] {
        if (target)
            guarded([&] { exportGrid(target, Format::Xlsx); });
    });
    QObject::connect(csv, &QAction::triggered, menu, [target] {
        if (target)
            guarded([&] { exportGrid(target, Format::Csv); });
    });
    const bool rows = grid->table() && grid->table()->active();
    xlsx->setEnabled(rows);
    csv->setEnabled(rows);
}

ExportJob* GridExport::exportGrid(DBGrid* grid, Format format)
{
    SnapshotTable* table = grid->table();
    if (!table || !table->active())
        return nullptr;
    const bool xlsx = format == Format::Xlsx;
    const QString extension = xlsx ? QStringLiteral(".xlsx") : QStringLiteral(".csv");
    const QString caption = GridToolTexts::text(xlsx ? "mitExportXlsx" : "mitExportCsv");
    QString path = promptFileSave(grid, titleOf(caption), GridToolTexts::text(xlsx ? "lblXlsxFilter" : "lblCsvFilter"),
                                  windowTitleOf(grid) + extension);
    if (path.isEmpty())
        return nullptr;
    if (!path.endsWith(extension, Qt::CaseInsensitive)) {
        path += extension;
        // The dialog asked about the name as typed; the name with its extension may be another file.
        if (QFileInfo::exists(path)
            && showMessageBox(grid, QStringLiteral("檔案 %1 已經存在，要取代它嗎？").arg(path), titleOf(caption),
                              Win::MB_OKCANCEL | Win::MB_ICONQUESTION | Win::MB_DEFBUTTON2)
                   != Win::IDOK)
            return nullptr;
    }

    const GridModel* model = grid->gridModel();
    QList<SnapshotExportSource::Column> columns;
    for (const int c : grid->shownColumns())
        columns.append({model->fieldName(c), model->headerData(c, Qt::Horizontal).toString()});
    return new ExportJob(SnapshotExportSource(table, columns), path, format, grid->window());
}
