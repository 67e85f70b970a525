#include "ui/form1.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

#include "collect/collection_run.h"
#include "ui/row_delegate.h"
#include "ui/row_list_model.h"

namespace catalog::ui {

namespace {

// The window's layout was drawn in twips, 15 to a pixel at the usual 96 dots an inch.
constexpr int kTwipsPerPixel = 15;
constexpr QRect fromTwips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

constexpr QSize kClientSize(8970 / kTwipsPerPixel, 5265 / kTwipsPerPixel);
constexpr QRect kListGeometry = fromTwips(120, 120, 8655, 4545);
constexpr QRect kCollectGeometry = fromTwips(7080, 4800, 1695, 375);
constexpr QRect kOutputNameGeometry = fromTwips(4080, 4800, 2895, 285);
constexpr QRect kLabelGeometry = fromTwips(3000, 4800, 975, 255);
// The progress bar and the status share the free space left of the label.
constexpr int kMargin = kListGeometry.left();
constexpr QRect kProgressGeometry(kMargin, kOutputNameGeometry.top(),
                                  kLabelGeometry.left() - 2 * kMargin,
                                  kOutputNameGeometry.height());
constexpr QSize kMinimumSize(480, 240);

QString counted(qsizetype count, const char* noun) {
    return QStringLiteral("%1 %2%3").arg(count).arg(QLatin1String(noun), count == 1 ? "" : "s");
}

}  // namespace

Form1::Form1(std::string programDirectory, QWidget* parent)
    : QWidget(parent), m_programDirectory(std::move(programDirectory)) {
    setWindowTitle(QStringLiteral("Form1"));
    createControls();
    connectControls();
    setMinimumSize(kMinimumSize);
    resize(kClientSize);
    placeControls();
}

// The run reads this window's output name and reports to its watcher: it must be over first.
Form1::~Form1() {
    m_run.cancel();
    m_run.waitForFinished();
}

void Form1::createControls() {
    m_rows = new RowListModel(this);
    m_displaylist = new QListView(this);
    m_displaylist->setObjectName(QStringLiteral("displaylist"));
    m_displaylist->setModel(m_rows);
    m_displaylist->setItemDelegate(new RowDelegate(m_displaylist));
    m_displaylist->setUniformItemSizes(true);
    m_displaylist->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_displaylist->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    m_collect = new QPushButton(QStringLiteral("Collect"), this);
    m_collect->setObjectName(QStringLiteral("collect"));

    const QString defaultName = QString::fromUtf8(
        kDefaultOutputName.data(), static_cast<qsizetype>(kDefaultOutputName.size()));
    m_outputfilename = new QLineEdit(defaultName, this);
    m_outputfilename->setObjectName(QStringLiteral("outputfilename"));

    m_label1 = new QLabel(QStringLiteral("Save to:"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->hide();
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));

    setTabOrder(m_displaylist, m_collect);
    setTabOrder(m_collect, m_outputfilename);
}

void Form1::connectControls() {
    connect(m_collect, &QPushButton::clicked, this, &Form1::collect_Click);
    connect(&m_run, &QFutureWatcher<WindowRunOutcome>::progressRangeChanged, m_progress,
            &QProgressBar::setRange);
    connect(&m_run, &QFutureWatcher<WindowRunOutcome>::progressValueChanged, m_progress,
            &QProgressBar::setValue);
    connect(&m_run, &QFutureWatcher<WindowRunOutcome>::finished, this, &Form1::showRunEnd);
}

// At the first size the geometry is the drawn one; when the window grows or shrinks, the list
// takes up the change and the bottom row keeps its distance to the bottom-right corner.
void Form1::placeControls() {
    const QSize change = size() - kClientSize;
    const QPoint shift(change.width(), change.height());
    m_displaylist->setGeometry(kListGeometry.adjusted(0, 0, shift.x(), shift.y()));
    m_collect->setGeometry(kCollectGeometry.translated(shift));
    m_outputfilename->setGeometry(kOutputNameGeometry.translated(shift));
    m_label1->setGeometry(kLabelGeometry.translated(shift));
    const QRect freeSpace = kProgressGeometry.adjusted(0, shift.y(), shift.x(), shift.y());
    m_progress->setGeometry(freeSpace);
    m_status->setGeometry(freeSpace);
    elideStatus();
}

// The status may be longer than the free space; the tooltip keeps the whole of it.
void Form1::elideStatus() {
    m_status->setText(
        m_status->fontMetrics().elidedText(m_statusText, Qt::ElideMiddle, m_status->width()));
}

void Form1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

void Form1::collect_Click() {
    if (m_run.isRunning()) {
        return;
    }
    m_collect->setEnabled(false);
    showStatus({});
    m_progress->setRange(0, 0);
    m_progress->show();
    // The name as it stands now: as in a window that is busy until the run ends, what is typed
    // meanwhile is for the next run.
    m_run.setFuture(QtConcurrent::run(collectInBackground, m_programDirectory,
                                      QFile::encodeName(m_outputfilename->text()).toStdString()));
}

// Closing mid-run stops the run before its write: the earlier listing stays as it was.
void Form1::closeEvent(QCloseEvent* event) {
    m_run.cancel();
    QWidget::closeEvent(event);
}

void Form1::showRunEnd() {
    m_progress->hide();
    m_collect->setEnabled(true);
    if (m_run.isCanceled() || m_run.future().resultCount() == 0) {
        showStatus(QStringLiteral("Run stopped"));
        emit runFinished();
        return;
    }
    const WindowRunOutcome outcome = m_run.result();
    m_rows->appendRows(outcome.rows);
    if (outcome.failure) {
        showStatus(QStringLiteral("Failed; nothing written"));
        showFailure(*outcome.failure);
    } else if (!outcome.missingDataFolder.isEmpty()) {
        showStatus(QStringLiteral("No data folder: header only"),
                   QStringLiteral("No data folder at %1: %2 holds only the header")
                       .arg(outcome.missingDataFolder, outcome.listingPath));
    } else {
        showStatus(counted(outcome.records, "record") + QStringLiteral(" written to ") +
                       outcome.outputName,
                   outcome.listingPath);
    }
    emit runFinished();
}

void Form1::showStatus(const QString& text, const QString& details) {
    m_statusText = text;
    m_status->setToolTip(details.isEmpty() ? text : details);
    elideStatus();
}

// Not modal to the application and not waited on: the window stays usable for the next run.
void Form1::showFailure(const RunFailure& failure) {
    auto* box =
        new QMessageBox(QMessageBox::Critical, windowTitle(),
                        QStringLiteral("The collection run failed."), QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("failure"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    QString details;
    if (!failure.path.isEmpty()) {
        details = QStringLiteral("Could not %1 \"%2\".\n").arg(failure.operation, failure.path);
    }
    details +=
        failure.errorNumber == 0
            ? failure.description
            : QStringLiteral("Error %1: %2").arg(failure.errorNumber).arg(failure.description);
    box->setInformativeText(details);
    box->open();
}

}  // namespace catalog::ui
