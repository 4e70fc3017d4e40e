#include "ui/shell/snapshot_windows.h"

#include "config/config_diff.h"
#include "config/config_transfer.h"
#include "config/edit_history.h"
#include "config/snapshot_store.h"
#include "device/host.h"
#include "lang/lang.h"
#include "ui/shell/controller_session.h"
#include "ui/shell/main_window.h"
#include "ui/help/help_window.h"
#include "ui/shell/settings_store.h"
#include "ui/widgets/window_placement.h"

#include <QAction>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace zmt::ui {

namespace {

const char* const kHistoryTitle = N_("History…");
const char* const kCompareTitle = N_("Compare with file…");
// What the differences' "-" and "+" stand for in each window.
const char* const kHistoryLegend = N_("\"-\" in the snapshot, \"+\" now");
const char* const kCompareLegend = N_("\"-\" in the controller, \"+\" in the file");
const char* const kHistoryHeaders[SnapshotWindows::HistoryColumns] = {
    N_("Local time"), N_("Cause"), N_("Differences from now")};

QString text(const char* literal) { return QString::fromUtf8(localized(literal)); }

QString joined(const std::vector<std::string>& lines) {
    QStringList list;
    for (const std::string& line : lines) list << QString::fromStdString(line);
    return list.join('\n');
}

// The differences as the memo shows them; "Same" when there are none.
QString differencesText(const std::vector<ConfigDifference>& differences) {
    if (differences.empty()) return QString::fromStdString(differenceSummary(differences));
    return joined(differenceLines(differences));
}

// When a snapshot was kept, in the user's own time (the files are named in UTC).
QString localTime(const SnapshotEntry& entry) {
    return QDateTime::fromSecsSinceEpoch(entry.seconds()).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QLabel* legend(QWidget* parent, const char* name) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPlainTextEdit* differencesMemo(QWidget* parent, const char* name) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(QString::fromLatin1(name));
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    memo->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    memo->setMinimumSize(560, 260);
    return memo;
}

} // namespace

SnapshotWindows::SnapshotWindows(MainWindow& window, ControllerSession& session, SettingsStore& settings,
                                 SnapshotStore* store)
    : window_(window), session_(session), settings_(settings), store_(store) {
    historyAction_ = window_.toolBarMenu().addAction(QString());
    historyAction_->setObjectName(QStringLiteral("ActionSnapshotHistory"));
    compareAction_ = window_.toolBarMenu().addAction(QString());
    compareAction_->setObjectName(QStringLiteral("ActionCompareWithFile"));
    connect(historyAction_, &QAction::triggered, this, [this] { showHistory(); });
    connect(compareAction_, &QAction::triggered, this, [this] { compareWithFile(); });
    connect(&window_.shellSignals(), &ShellSignals::languageChanged, this, [this] { retranslate(); });
    retranslate();
}

SnapshotWindows::~SnapshotWindows() = default;

void SnapshotWindows::retranslate() {
    historyAction_->setText(text(kHistoryTitle));
    compareAction_->setText(text(kCompareTitle));
    // Open windows are filled again in the new language.
    if (history_ != nullptr) {
        history_->setWindowTitle(text(kHistoryTitle));
        restore_->setText(text(N_("Restore")));
        historyLegend_->setText(text(kHistoryLegend));
        QStringList headers;
        for (const char* header : kHistoryHeaders) headers << text(header);
        list_->setHeaderLabels(headers);
        if (history_->isVisible()) fillHistory();
    }
    if (compare_ != nullptr) {
        compare_->setWindowTitle(text(kCompareTitle));
        compareLegend_->setText(text(kCompareLegend));
    }
}

void SnapshotWindows::buildHistory() {
    history_ = new QDialog(&window_);
    history_->setObjectName(QStringLiteral("FormSnapshotHistory"));
    setHelpTopic(*history_, "snapshots");
    list_ = new QTreeWidget(history_);
    list_->setObjectName(QStringLiteral("ListSnapshots"));
    list_->setColumnCount(HistoryColumns);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setMinimumWidth(560);
    list_->header()->setStretchLastSection(true);
    historyText_ = differencesMemo(history_, "MemoSnapshotDifferences");
    historyLegend_ = legend(history_, "LabelSnapshotLegend");
    restore_ = new QPushButton(history_);
    restore_->setObjectName(QStringLiteral("ButtonRestoreSnapshot"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, history_);
    buttons->addButton(restore_, QDialogButtonBox::ActionRole);
    auto* layout = new QVBoxLayout(history_);
    layout->addWidget(list_);
    layout->addWidget(historyText_);
    layout->addWidget(historyLegend_);
    layout->addWidget(buttons);
    connect(list_, &QTreeWidget::currentItemChanged, this, [this] { showSelected(); });
    connect(restore_, &QPushButton::clicked, this, [this] { restoreSelected(); });
    connect(buttons, &QDialogButtonBox::rejected, history_, &QDialog::close);
    retranslate();
}

void SnapshotWindows::showHistory() {
    if (!window_.controllerKnown()) return;
    if (history_ == nullptr) buildHistory();
    fillHistory();
    history_->show();
    fitWidth(history_, historyText_, list_);
    history_->raise();
}

void SnapshotWindows::fillHistory() {
    list_->clear();
    historyText_->clear();
    restore_->setEnabled(false);
    if (store_ == nullptr) {
        historyText_->setPlainText(text(N_("There is no folder for snapshots")));
        return;
    }
    const ConfigImage& now = session_.record().image;
    const std::vector<ListingEntry> listed = listingEntries(now);
    for (const SnapshotEntry& entry : store_->list(session_.watch().identity().serialNumber)) {
        ConfigImage held = now;
        const FileResult loaded = loadSnapshot(held, entry.path);
        const std::string summary =
            loaded.ok() ? differenceSummary(compareConfigurations(held, now, listed)) : loaded.text();
        auto* item = new QTreeWidgetItem(list_, QStringList{localTime(entry),
                                                            QString::fromStdString(snapshotCauseText(entry.cause)),
                                                            QString::fromStdString(summary)});
        item->setData(TimeColumn, Qt::UserRole, QString::fromStdString(entry.path));
    }
    for (int column = 0; column < HistoryColumns; ++column) list_->resizeColumnToContents(column);
    if (list_->topLevelItemCount() == 0) historyText_->setPlainText(text(N_("No snapshots")));
    else list_->setCurrentItem(list_->topLevelItem(0));
    if (history_->isVisible()) fitWidth(history_, historyText_, list_);
}

void SnapshotWindows::showSelected() {
    QTreeWidgetItem* item = list_->currentItem();
    restore_->setEnabled(item != nullptr);
    if (item == nullptr) return;
    ConfigImage held = session_.record().image;
    const FileResult loaded = loadSnapshot(held, item->data(TimeColumn, Qt::UserRole).toString().toStdString());
    if (!loaded.ok()) {
        historyText_->setPlainText(QString::fromStdString(loaded.text()));
        restore_->setEnabled(false);
        return;
    }
    // "-" the snapshot, "+" the configuration now.
    historyText_->setPlainText(differencesText(compareConfigurations(held, session_.record().image)));
    if (history_->isVisible()) fitWidth(history_, historyText_, list_);
}

void SnapshotWindows::restoreSelected() {
    QTreeWidgetItem* item = list_ != nullptr ? list_->currentItem() : nullptr;
    if (item == nullptr || !window_.controllerKnown()) return;
    const std::string path = item->data(TimeColumn, Qt::UserRole).toString().toStdString();
    ConfigRecord& record = session_.record();
    ConfigImage held = record.image;
    const FileResult loaded = loadSnapshot(held, path);
    if (!loaded.ok()) {
        window_.showMessage(MessageKind::Error, loaded.text());
        return;
    }
    if (!session_.transfer().keepSnapshot(SnapshotCause::Restored)) return;
    {
        // One step: undo gives back the configuration it replaced, and the
        // synchronisation sends whatever differs, as for any edit.
        const EditStep step(window_.editHistory(), record.image,
                            editLabel(N_("restore snapshot %s"),
                                      item->text(TimeColumn).toUtf8().constData()));
        record.image = held;
    }
    window_.showImage();
    session_.refreshPendingPanel();
    fillHistory();
}

void SnapshotWindows::buildCompare() {
    compare_ = new QDialog(&window_);
    compare_->setObjectName(QStringLiteral("FormCompareWithFile"));
    setHelpTopic(*compare_, "compare");
    compareText_ = differencesMemo(compare_, "MemoCompareDifferences");
    compareLegend_ = legend(compare_, "LabelCompareLegend");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, compare_);
    auto* layout = new QVBoxLayout(compare_);
    layout->addWidget(compareText_);
    layout->addWidget(compareLegend_);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, compare_, &QDialog::close);
    retranslate();
}

void SnapshotWindows::compareWithFile() {
    if (!window_.controllerKnown()) return;
    const std::string path = settings_.askOpenConfigFile();
    if (!path.empty()) compareWith(path);
}

void SnapshotWindows::compareWith(const std::string& path) {
    ConfigImage file = session_.record().image;
    const FileResult loaded = loadSnapshot(file, path);
    if (!loaded.ok()) {
        window_.showMessage(MessageKind::Error, loaded.text());
        return;
    }
    if (compare_ == nullptr) buildCompare();
    // "-" the controller, "+" the file: what opening it would change.
    QString shown = differencesText(compareConfigurations(session_.record().deviceCopy, file));
    if (!loaded.damaged.empty()) shown = QString::fromStdString(loaded.text()) + "\n\n" + shown;
    compareText_->setPlainText(shown);
    compare_->setWindowTitle(text(kCompareTitle) + " " + QString::fromStdString(path));
    compare_->show();
    fitWidth(compare_, compareText_);
    compare_->raise();
}

void SnapshotWindows::fitWidth(QDialog* dialog, QPlainTextEdit* memo, QTreeWidget* list) {
    const QFontMetrics metrics(memo->font());
    int lines = 0;
    for (const QString& line : memo->toPlainText().split(QLatin1Char('\n')))
        lines = std::max(lines, metrics.horizontalAdvance(line));
    // The memo's own margins and frame, and room for its scroll bar.
    const int memoWant = lines + 2 * int(memo->document()->documentMargin()) + 2 * memo->frameWidth() +
                         memo->verticalScrollBar()->sizeHint().width() + 4;
    int want = memoWant - memo->width();
    if (list != nullptr) {
        // What each column needs, not what it has: the last one stretches.
        int columns = 2 * list->frameWidth() + list->verticalScrollBar()->sizeHint().width();
        const QAbstractItemView* view = list;   // the tree keeps its column hint to itself
        for (int column = 0; column < list->columnCount(); ++column)
            columns += std::max(view->sizeHintForColumn(column), list->header()->sectionSizeHint(column));
        want = std::max(want, columns - list->width());
    }
    if (want <= 0) return;
    const QScreen* screen = dialog->screen();
    const int wanted = dialog->width() + want;
    const int frameExtra = dialog->frameGeometry().width() - dialog->width();
    dialog->resize(screen != nullptr ? widthOnScreen(wanted, frameExtra, screen->availableGeometry()) : wanted,
                   dialog->height());
}

} // namespace zmt::ui
