// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/PrintPreview.h"

#include <QBoxLayout>
#include <QDir>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfDocument>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include "files/AtomicFile.h"
#include "map/BrowserPolicy.h"
#include "map/PageBridge.h"
#include "map/WebProfile.h"
#include "tracks/FileNames.h"
#include "ui/Captions.h"
#include "ui/FileQuestions.h"
#include "ui/Messages.h"
#include "ui/Prompts.h"

namespace {

// print.html reports its sheet drawn at most 3 s after it has loaded (it stops waiting for tiles
// then); a page that never reports (a broken data.js, a page of the user's own) is printed as it
// stands this long after loading. A page that failed to load (the browser's error page) is
// printed as soon as it is shown.
constexpr int kReportWaitMs = 10000;
constexpr int kPrinterDpi = 300;

QPageLayout sheetLayout() {
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                       QPageLayout::Millimeter);
}

bool askWithPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

// Paints every page of the PDF onto the printer, each filling the paper as in the PDF (whose pages
// were laid out for the printer's own page layout, margins included).
bool paintPdf(QPrinter& printer, const QByteArray& pdf) {
    QTemporaryFile file(QDir::tempPath() + QStringLiteral("/trailkeep-print-XXXXXX.pdf"));
    if (pdf.isEmpty() || !file.open() || file.write(pdf) != pdf.size() || !file.flush())
        return false;
    QPdfDocument document;
    if (document.load(file.fileName()) != QPdfDocument::Error::None || document.pageCount() < 1)
        return false;
    const QPageLayout layout = printer.pageLayout();
    const int dpi = printer.resolution();
    QRect paper = layout.fullRectPixels(dpi);
    if (!printer.fullPage())
        paper.translate(-layout.paintRectPixels(dpi).topLeft());
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    for (int page = 0; page < document.pageCount(); ++page) {
        if (page > 0 && !printer.newPage())
            return false;
        painter.drawImage(paper, document.render(page, paper.size()));
    }
    return painter.end();
}

QPushButton* captionedButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    return button;
}

} // namespace

PrintPreview::PrintPreview(const tk::Language& language, QWebEngineProfile* profile,
                           PageBridge& bridge, QString pageDir, QWidget* parent)
    : QDialog(parent), browser_(new QWebEngineView(this)),
      printButton_(
          captionedButton(buttonCaption(language, "Print"), QStringLiteral("printButton"), this)),
      pdfButton_(captionedButton(buttonCaption(language, "Save as PDF"),
                                 QStringLiteral("pdfButton"), this)),
      reportWait_(new QTimer(this)), printer_(std::make_unique<QPrinter>()) {
    setObjectName(QStringLiteral("logTraceDialog"));
    setWindowTitle(caption(language, "LogTrace"));
    setAccessibleName(windowTitle());
    browser_->setObjectName(QStringLiteral("previewBrowser"));
    browser_->setAccessibleName(QStringLiteral("Print preview"));
    BrowserPolicy::apply(browser_, profile, bridge);

    printer_->setResolution(kPrinterDpi);
    printer_->setPageLayout(sheetLayout());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(printButton_);
    buttons->addWidget(pdfButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addLayout(buttons);
    resize(680, 440);

    reportWait_->setSingleShot(true);
    reportWait_->setInterval(kReportWaitMs);
    connect(reportWait_, &QTimer::timeout, this, &PrintPreview::markPageReady);
    // The preview is modal, so the one print page that reports is this preview's own.
    connect(&bridge, &PageBridge::sheetDrawn, this, &PrintPreview::markPageReady);
    connect(browser_, &QWebEngineView::loadFinished, this, &PrintPreview::pageLoaded);
    connect(printButton_, &QPushButton::clicked, this, &PrintPreview::askToPrint);
    connect(pdfButton_, &QPushButton::clicked, this, &PrintPreview::askForPdf);
    // The browser keeps the keys it is given, so Esc would not reach the dialog from the page.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this,
            &PrintPreview::reject);

    browser_->load(QUrl::fromLocalFile(pageDir + QStringLiteral("print.html")));
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::setPrintAsker(PrintAsker asker) {
    asker_ = std::move(asker);
}

void PrintPreview::reject() {
    if (jobs_.empty()) {
        QDialog::reject();
        return;
    }
    closeAsked_ = true;
    updateButtons();
}

void PrintPreview::askToPrint() {
    const bool accepted = asker_ ? asker_(*printer_) : askWithPrintDialog(*printer_, this);
    if (accepted)
        enqueue({Job::Kind::Print, {}});
}

void PrintPreview::askForPdf() {
    const QString chosen = Prompts::current().saveFileName(this, QString::fromLatin1(kPdfFilter));
    if (chosen.isEmpty())
        return;
    const QString path = QString::fromStdString(tk::withExtension(chosen.toStdString(), ".pdf"));
    if (!mayReplace(this, chosen, path))
        return;
    enqueue({Job::Kind::Pdf, path});
}

void PrintPreview::enqueue(Job job) {
    jobs_.push_back(std::move(job));
    updateButtons();
    runNextJob();
}

// One job at a time, in the order asked, once the page has drawn the track.
void PrintPreview::runNextJob() {
    if (jobRunning_ || !pageReady_ || jobs_.empty())
        return;
    jobRunning_ = true;
    const Job& job = jobs_.front();
    if (job.kind == Job::Kind::Print)
        startPrint();
    else
        startPdf(job.path);
}

// The browser's own print onto a printer lays a landscape page out at the width of a portrait
// one, so the sheet came out at about three quarters of its size. The page is turned into a PDF for
// the printer's page layout instead, as Save as PDF does, and that is painted onto the printer.
void PrintPreview::startPrint() {
    QPointer<PrintPreview> self(this);
    browser_->page()->printToPdf(
        [self](const QByteArray& pdf) {
            if (self)
                self->printPdf(pdf);
        },
        printer_->pageLayout(), printer_->pageRanges());
}

void PrintPreview::startPdf(const QString& path) {
    QPointer<PrintPreview> self(this);
    browser_->page()->printToPdf(
        [self, path](const QByteArray& pdf) {
            if (self)
                self->pdfReady(path, pdf);
        },
        sheetLayout());
}

void PrintPreview::printPdf(const QByteArray& pdf) {
    const bool ok = paintPdf(*printer_, pdf);
    finishJob();
    if (!ok)
        tell(QStringLiteral("The page could not be printed."));
    emit printed(ok);
}

// Written whole or not at all, so a failure leaves neither a partial file nor a replaced one half
// overwritten.
void PrintPreview::pdfReady(const QString& path, const QByteArray& pdf) {
    finishJob();
    QString error;
    if (pdf.isEmpty()) {
        error = QStringLiteral("The page could not be turned into a PDF.");
    } else {
        error = QString::fromStdString(tk::writeFileAtomically(
            QFile::encodeName(path).toStdString(), std::string_view(pdf.constData(), pdf.size())));
    }
    if (!error.isEmpty())
        tell(error);
    emit pdfWritten(path, error.isEmpty());
}

void PrintPreview::finishJob() {
    jobRunning_ = false;
    jobs_.pop_front();
    updateButtons();
    if (closeAsked_ && jobs_.empty()) {
        QDialog::reject();
        return;
    }
    QTimer::singleShot(0, this, &PrintPreview::runNextJob);
}

void PrintPreview::pageLoaded(bool ok) {
    if (pageReady_)
        return;
    if (ok)
        reportWait_->start();
    else
        markPageReady();
}

void PrintPreview::markPageReady() {
    reportWait_->stop();
    if (pageReady_)
        return;
    pageReady_ = true;
    emit pageReady();
    runNextJob();
}

// A print or PDF waiting or running keeps its button off, so the printer and the file name it
// uses stay as they were when asked.
void PrintPreview::updateButtons() {
    bool printing = false;
    bool writing = false;
    for (const Job& job : jobs_)
        (job.kind == Job::Kind::Print ? printing : writing) = true;
    printButton_->setEnabled(!printing && !closeAsked_);
    pdfButton_->setEnabled(!writing && !closeAsked_);
}

void PrintPreview::tell(const QString& text) {
    tellUser(this, true, text);
}
