// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/PrintPreview.h"

#include <QBoxLayout>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfDocument>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTemporaryFile>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include "map/BrowserPolicy.h"
#include "map/WebProfile.h"
#include "tracks/FileNames.h"
#include "ui/Captions.h"
#include "ui/Prompts.h"

namespace {

constexpr char kMessageTitle[] = "Trailkeep";
constexpr int kReadyPollMs = 100;
// print.html gives up waiting for tiles after 3 s; a page that never reports ready (a broken
// data.js) is printed as it stands after this many polls. Other pages (the browser's error page)
// are printed as soon as they have loaded.
constexpr int kReadyPollLimit = 100;
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
      readyPoll_(new QTimer(this)), printer_(std::make_unique<QPrinter>()) {
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

    readyPoll_->setInterval(kReadyPollMs);
    connect(readyPoll_, &QTimer::timeout, this, &PrintPreview::askPageReady);
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
    // The dialog asked before replacing the name it returned; the name with the extension
    // appended may be another file, so ask for that one.
    if (chosen != path && QFileInfo::exists(path)) {
        QMessageBox box(QMessageBox::Question, QString::fromLatin1(kMessageTitle),
                        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(path),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(QMessageBox::No);
        if (box.exec() != QMessageBox::Yes)
            return;
    }
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

// Written through a save file, so a failure leaves neither a partial file nor a replaced one
// half overwritten.
void PrintPreview::pdfReady(const QString& path, const QByteArray& pdf) {
    finishJob();
    QString error;
    if (pdf.isEmpty()) {
        error = QStringLiteral("The page could not be turned into a PDF.");
    } else {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
            error = file.errorString();
    }
    if (!error.isEmpty())
        tell(QStringLiteral("%1: %2").arg(path, error));
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
    pageLoaded_ = true;
    if (!ok) {
        markPageReady();
        return;
    }
    readyPolls_ = 0;
    askPageReady();
    readyPoll_->start();
}

void PrintPreview::askPageReady() {
    if (pageReady_ || ++readyPolls_ > kReadyPollLimit) {
        markPageReady();
        return;
    }
    QPointer<PrintPreview> self(this);
    browser_->page()->runJavaScript(
        QStringLiteral("!window.tkPage || window.tkPage.ready === true"),
        [self](const QVariant& ready) {
            if (self && ready.toBool())
                self->markPageReady();
        });
}

void PrintPreview::markPageReady() {
    readyPoll_->stop();
    if (pageReady_)
        return;
    pageReady_ = true;
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
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kMessageTitle), text, QMessageBox::Ok,
                    this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
