// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

class PageBridge;
namespace tk {
class Language;
}
class QPrinter;
class QPushButton;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;

// The print preview: print.html of the page folder in an embedded browser with the program's
// host policy, printed through the system's print dialog or saved as a PDF file. Jobs asked for
// before the page has reported its sheet drawn (over the bridge) wait for it, so the sheet shows
// what the preview shows.
class PrintPreview : public QDialog {
    Q_OBJECT
public:
    // pageDir ends with '/', holds print.html and data.js. The captions come from language.
    PrintPreview(const tk::Language& language, QWebEngineProfile* profile, PageBridge& bridge,
                 QString pageDir, QWidget* parent = nullptr);
    ~PrintPreview() override;

    QWebEngineView* browser() const { return browser_; }

    // Seam for tests: replaces the system print dialog; default shows QPrintDialog and answers
    // whether to print.
    using PrintAsker = std::function<bool(QPrinter& printer)>;
    void setPrintAsker(PrintAsker asker);

    static constexpr const char* kPdfFilter = "PDF files(*.pdf)";

signals:
    // The page has drawn its sheet (or will not say so): asked jobs run from now on.
    void pageReady();
    void pdfWritten(const QString& path, bool ok);
    void printed(bool ok);

public slots:
    // Waits for the print or PDF asked for to finish before the dialog closes.
    void reject() override;

private:
    struct Job {
        enum class Kind { Print, Pdf } kind;
        QString path;
    };

    void askToPrint();
    void askForPdf();
    void enqueue(Job job);
    void runNextJob();
    void startPrint();
    void startPdf(const QString& path);
    void finishJob();
    void printPdf(const QByteArray& pdf);
    void pdfReady(const QString& path, const QByteArray& pdf);
    void pageLoaded(bool ok);
    void markPageReady();
    void updateButtons();
    void tell(const QString& text);

    QWebEngineView* browser_;
    QPushButton* printButton_;
    QPushButton* pdfButton_;
    QTimer* reportWait_;
    std::unique_ptr<QPrinter> printer_;
    PrintAsker asker_;
    std::deque<Job> jobs_;
    bool pageReady_ = false;
    bool jobRunning_ = false;
    bool closeAsked_ = false;
};
