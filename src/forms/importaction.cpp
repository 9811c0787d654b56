#include "importaction.h"

#include "controls/dbgrid.h"
#include "data/connection.h"
#include "data/exportsource.h"
#include "data/snapshottable.h"
#include "data/tableexport.h"
#include "forms/importpreview.h"
#include "forms/importtexts.h"
#include "forms/recordwindow.h"
#include "import/batchwriter.h"
#include "import/columnmatch.h"
#include "platform/messages.h"
#include "ui/busycursor.h"
#include "ui/guard.h"
#include "ui/messagebox.h"

#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QRegularExpression>
#include <QPushButton>
#include <QShortcut>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>
#include <atomic>

namespace {
QString t(const char* name)
{
    return ImportTexts::text(name);
}

// A menu caption as a dialog's title: no accelerator, no ellipsis.
QString titleOf(QString caption)
{
    caption.remove(QRegularExpression(QStringLiteral("\\s*\\(&.\\)")));
    caption.remove(QChar(u'…'));
    return caption.trimmed();
}

class TitlesSource : public ExportSource
{
public:
    explicit TitlesSource(const QStringList& titles)
        : m_titles(titles)
    {}
    int columnCount() const override { return int(m_titles.size()); }
    QString columnTitle(int column) const override { return m_titles.at(column); }
    qint64 rowCount() const override { return 0; }
    void cell(qint64, int, ExportCell& out) const override { out.clear(); }

private:
    QStringList m_titles;
};

// The progress of the writing: a bar and a cancel button. Closing it cancels too; it goes away only
// when the writing has ended.
class ProgressDialog : public QDialog
{
public:
    ProgressDialog(qint64 total, std::atomic<bool>& cancel, QWidget* parent)
        : QDialog(parent)
        , m_cancel(cancel)
    {
        setObjectName(QStringLiteral("dlgImportProgress"));
        setWindowTitle(t("lblImporting"));
        setModal(true);
        bar = new QProgressBar(this);
        bar->setRange(0, int(qMin<qint64>(total, 1000000000)));
        btnCancel = new QPushButton(t("btnCancelImport"), this);
        btnCancel->setObjectName(QStringLiteral("btnCancelImport"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(new QLabel(t("lblImporting"), this));
        layout->addWidget(bar);
        layout->addWidget(btnCancel, 0, Qt::AlignRight);
        connect(btnCancel, &QPushButton::clicked, this, &ProgressDialog::reject);
        resize(380, 120);
    }
    void reject() override
    {
        m_cancel = true;
        btnCancel->setEnabled(false);
    }
    void finish() { QDialog::accept(); }

    QProgressBar* bar;
    QPushButton* btnCancel;

private:
    std::atomic<bool>& m_cancel;
};
} // namespace

ImportAction::ImportAction(RecordWindow* window, DBGrid* grid, std::function<Import::Rules()> rules)
    : QObject(window)
    , m_window(window)
    , m_rules(std::move(rules))
{
    setObjectName(QStringLiteral("importAction"));
    reread = [window] {
        window->mainTable()->close();
        window->mainTable()->open();
    };
    connect(grid, &DBGrid::contextMenuAboutToShow, this, &ImportAction::addItems);
    auto* shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), window);
    shortcut->setContext(Qt::WidgetWithChildrenShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] {
        if (allowed())
            guarded([this] { importFile(); });
    });
}

bool ImportAction::allowed() const
{
    const SnapshotTable* table = m_window->mainTable();
    return table && table->active() && !table->editing() && m_window->btnAdd->isVisible()
           && m_window->btnAdd->isEnabled();
}

void ImportAction::addItems(QMenu* menu)
{
    menu->addSeparator();
    QAction* import = menu->addAction(t("mitImport"));
    import->setObjectName(QStringLiteral("mitImport"));
    import->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    QAction* templ = menu->addAction(t("mitTemplate"));
    templ->setObjectName(QStringLiteral("mitTemplate"));
    import->setEnabled(allowed());
    templ->setEnabled(allowed());
    connect(import, &QAction::triggered, this, [this] { guarded([this] { importFile(); }); });
    connect(templ, &QAction::triggered, this, [this] { guarded([this] { exportTemplate(); }); });
}

QString ImportAction::captionOf(const QString& field) const
{
    const Import::Rules rules = m_rules();
    for (const Import::Column& c : rules.columns()) {
        if (c.field != field)
            continue;
        const auto* label = m_window->findChild<QLabel*>(c.labelName);
        return label ? label->text() : c.captions.value(0);
    }
    if (field == QLatin1String("buydate"))
        return t("lblBuydate");
    if (field == QLatin1String("crpkey"))
        return t("lblCrpkey");
    if (field == QLatin1String("uid"))
        return t("lblUid");
    return field;
}

void ImportAction::exportTemplate()
{
    const Import::Rules rules = m_rules();
    QStringList titles;
    for (const Import::Column& c : rules.columns())
        titles.append(captionOf(c.field));
    QString path = promptFileSave(m_window, titleOf(t("mitTemplate")), t("lblTemplateFilter"),
                                  m_window->windowTitle() + t("lblTemplateName") + QStringLiteral(".xlsx"));
    if (path.isEmpty())
        return;
    const bool csv = path.endsWith(QLatin1String(".csv"), Qt::CaseInsensitive);
    if (!csv && !path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    const TitlesSource source(titles);
    csv ? TableExport::writeCsv(source, path) : TableExport::writeXlsx(source, path);
}

void ImportAction::importFile()
{
    if (!allowed())
        return;
    const QString path = promptFileOpen(m_window, titleOf(t("mitImport")), t("lblImportFilter"));
    if (path.isEmpty())
        return;
    SnapshotTable* table = m_window->mainTable();
    Connection* connection = table->connection();
    const Import::Rules rules = m_rules();
    Import::Stored stored;
    Import::Preview preview;
    {
        const BusyCursor busy;
        stored = Import::readStored(connection, rules);
        preview = Import::preview(path, rules, Import::knownTitles(rules), stored);
    }
    QStringList titles;
    for (const QString& field : rules.insertColumns())
        titles.append(captionOf(field));
    ImportPreview dialog(preview, titles, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;

    // The writing runs on a connection of its own in a thread of its own; the dialog shows how far
    // it has come and lets the user cancel, which rolls everything back.
    std::atomic<qint64> done{0};
    std::atomic<bool> cancel{false};
    Import::Written written;
    std::exception_ptr failure;
    const ConnectionSettings settings = connection->settings();
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            Connection own(settings);
            own.open();
            written = Import::writeRows(&own, preview, rules, stored, [&](qint64 rows) {
                done = rows;
                return !cancel;
            });
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    {
        ProgressDialog progress(preview.rows, cancel, m_window);
        QTimer tick;
        connect(&tick, &QTimer::timeout, &progress, [&] { progress.bar->setValue(int(done.load())); });
        connect(worker.get(), &QThread::finished, &progress, &ProgressDialog::finish);
        tick.start(100);
        worker->start();
        progress.exec();
        worker->wait(); // finished already: the dialog closes only then
    }
    if (failure)
        std::rethrow_exception(failure);
    if (written.cancelled) {
        showMessageBox(m_window, Msg::importCancelled(), titleOf(t("mitImport")), Win::MB_ICONASTERISK);
        return;
    }
    reread();
    const QString key = rules.kind() == Import::Kind::Students  ? QStringLiteral("spkey")
                        : rules.kind() == Import::Kind::Classes ? QStringLiteral("crpkey")
                                                                : QStringLiteral("scpkey");
    if (written.firstKey.isValid())
        table->locate(key, written.firstKey);
    showMessageBox(m_window,
                   written.afterLoss ? Msg::importFoundAfterLoss(written.rows) : Msg::importDone(written.rows),
                   titleOf(t("mitImport")), Win::MB_ICONASTERISK);
}
