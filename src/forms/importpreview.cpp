#include "importpreview.h"

#include "data/exportsource.h"
#include "data/tableexport.h"
#include "forms/importtexts.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QAbstractTableModel>
#include <QColor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
QString t(const char* name)
{
    return ImportTexts::text(name);
}

// The faults as a table: row, column, reason. Read as the view scrolls; a hundred thousand faults
// cost no widget each.
class ErrorModel : public QAbstractTableModel
{
public:
    explicit ErrorModel(const QList<Import::CellError>& errors, QObject* parent)
        : QAbstractTableModel(parent)
        , m_errors(errors)
    {}
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(m_errors.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !index.isValid())
            return QVariant();
        const Import::CellError& e = m_errors.at(index.row());
        return index.column() == 0 ? QVariant(e.row) : index.column() == 1 ? QVariant(e.column) : QVariant(e.reason);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        return t(section == 0 ? "lblRow" : section == 1 ? "lblColumn" : "lblReason");
    }

private:
    const QList<Import::CellError>& m_errors;
};

class ErrorSource : public ExportSource
{
public:
    explicit ErrorSource(const QList<Import::CellError>& errors)
        : m_errors(errors)
    {}
    int columnCount() const override { return 3; }
    QString columnTitle(int column) const override
    {
        return t(column == 0 ? "lblRow" : column == 1 ? "lblColumn" : "lblReason");
    }
    qint64 rowCount() const override { return m_errors.size(); }
    void cell(qint64 row, int column, ExportCell& out) const override
    {
        const Import::CellError& e = m_errors.at(row);
        if (column == 0)
            out.setInteger(e.row);
        else
            out.setText(column == 1 ? e.column : e.reason);
    }

private:
    const QList<Import::CellError>& m_errors;
};

QString shown(const QVariant& v)
{
    if (v.typeId() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy/MM/dd HH:mm:ss"));
    return v.toString();
}
} // namespace

ImportPreview::ImportPreview(const Import::Preview& preview, const QStringList& titles, QWidget* parent)
    : QDialog(parent)
    , m_preview(preview)
{
    setObjectName(QStringLiteral("dlgImportPreview"));
    setWindowTitle(t("lblPreviewTitle"));
    setModal(true);
    resize(900, 640);

    QString summary = t("lblFile") + QDir::toNativeSeparators(preview.path) + QLatin1Char('\n') + t("lblEncoding")
                      + preview.encoding + QLatin1Char('\n') + t("lblRowCount") + QString::number(preview.rows);
    if (!preview.match.unknown.isEmpty())
        summary += QLatin1Char('\n') + t("lblIgnored") + preview.match.unknown.join(QStringLiteral("、"));
    lblSummary = new QLabel(summary, this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    grdRows = new QTableWidget(int(preview.firstRows.size()), int(titles.size()), this);
    grdRows->setObjectName(QStringLiteral("grdRows"));
    grdRows->setHorizontalHeaderLabels(titles);
    grdRows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < preview.firstRows.size(); ++r) {
        grdRows->setVerticalHeaderItem(r, new QTableWidgetItem(QString::number(preview.firstNumbers.at(r))));
        for (int c = 0; c < titles.size(); ++c) {
            auto* item = new QTableWidgetItem(shown(preview.firstRows.at(r).value(c)));
            if (preview.firstBad.at(r))
                item->setBackground(QColor(255, 220, 220));
            grdRows->setItem(r, c, item);
        }
    }

    grdErrors = new QTableView(this);
    grdErrors->setObjectName(QStringLiteral("grdErrors"));
    grdErrors->setModel(new ErrorModel(preview.errors, grdErrors));
    grdErrors->horizontalHeader()->setStretchLastSection(true);
    grdErrors->verticalHeader()->hide();
    grdErrors->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grdErrors->setColumnWidth(0, 70);
    grdErrors->setColumnWidth(1, 120);

    QString errorsCaption = preview.errors.isEmpty() ? t("lblNoErrors") : t("lblErrors");
    if (preview.moreErrors > 0)
        errorsCaption += QLatin1Char(' ') + t("lblMoreErrors").arg(preview.moreErrors);

    btnImport = new QPushButton(t("btnImport"), this);
    btnImport->setObjectName(QStringLiteral("btnImport"));
    btnImport->setEnabled(preview.errors.isEmpty() && preview.moreErrors == 0 && preview.rows > 0);
    btnExportErrors = new QPushButton(t("btnExportErrors"), this);
    btnExportErrors->setObjectName(QStringLiteral("btnExportErrors"));
    btnExportErrors->setEnabled(!preview.errors.isEmpty());
    btnClose = new QPushButton(t("btnClose"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnImport->setDefault(btnImport->isEnabled());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnImport);
    buttons->addWidget(btnExportErrors);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblSummary);
    layout->addWidget(new QLabel(t("lblFirstRows"), this));
    layout->addWidget(grdRows, 3);
    auto* errorsLabel = new QLabel(errorsCaption, this);
    errorsLabel->setObjectName(QStringLiteral("lblErrorsCaption"));
    layout->addWidget(errorsLabel);
    layout->addWidget(grdErrors, 2);
    layout->addLayout(buttons);

    connect(btnImport, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::reject);
    onEvent(btnExportErrors, &QPushButton::clicked, this, [this] { exportErrors(); });
}

bool ImportPreview::exportErrors()
{
    QString path =
        promptFileSave(this, t("btnExportErrors").remove(QStringLiteral("(&E)")).remove(QChar(u'…')).trimmed(),
                       ImportTexts::instance()->text("lblTemplateFilter").section(QStringLiteral(";;"), 1),
                       QFileInfo(m_preview.path).completeBaseName() + t("lblErrorsName") + QStringLiteral(".csv"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive))
        path += QStringLiteral(".csv");
    return TableExport::writeCsv(ErrorSource(m_preview.errors), path);
}
