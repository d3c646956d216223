// SPDX-License-Identifier: GPL-3.0-or-later
// The print preview over the program's print page in the real embedded browser, with a data.js
// written by the program's own writer. No request leaves the machine: the profile blocks every
// address that is not a file, so the sheet is drawn on the offline background.
#include <QDir>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QMutex>
#include <QMutexLocker>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include "map/MapDataScript.h"
#include "map/PageBridge.h"
#include "map/PrintPreview.h"
#include "map/WebProfile.h"
#include "support/qt/ModalAnswer.h"
#include "support/qt/ProgramFixture.h"
#include "support/qt/Wait.h"
#include "ui/Language.h"

#include <cmath>
#include <memory>

namespace {

constexpr std::uint32_t kLineColour = 0x00E01010; // 0x00BBGGRR: drawn as #1010e0
const QColor kLineRgb(0x10, 0x10, 0xe0);

class FileOnlyInterceptor : public QWebEngineUrlRequestInterceptor {
public:
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme == "file" || scheme == "qrc" || scheme == "data")
            return;
        info.block(true);
    }
};

tk::Track loopTrack(int n, double radius) {
    tk::Track t;
    t.name = "2026-05-02 09:15:00";
    t.stepSeconds = 1;
    t.peakSpeed = 52000;
    t.distance = 8765;
    t.peakAltitude = 1234;
    for (int i = 0; i < n; ++i) {
        tk::TrackPoint p;
        const int second = 9 * 3600 + 15 * 60 + i;
        p.timeOfDay = second / 3600 * 10000 + second / 60 % 60 * 100 + second % 60;
        p.speed = 30000 + static_cast<std::uint32_t>(i % 50) * 400;
        p.recordedSpeed = p.speed;
        p.altitude = 1000 + i;
        const double a = 6.283 * i / n;
        p.latitude = 46.5 + radius * std::sin(a);
        p.longitude = 7.5 + radius * 1.4 * std::cos(a) + radius * 0.6 * std::sin(2 * a);
        t.points.push_back(p);
    }
    return t;
}

class PrintPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        pageDir_ = folder_.path() + "/";
        copyProgramPages(QStringLiteral(TK_BIN_DIR), pageDir_);
        ASSERT_TRUE(QFile::exists(pageDir_ + "print.html"));
        profile_.reset(createWebProfile(false, nullptr));
        profile_->setUrlRequestInterceptor(&interceptor_);
        bridge_ = std::make_unique<PageBridge>(language_);
        Prompts::install(&prompts_);
    }

    void TearDown() override {
        Prompts::install(nullptr);
        if (dialog_ && !qEnvironmentVariableIsEmpty("TK_PAGE_SHOTS")) {
            const QString name = QString::fromStdString(
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
            const QString shots = qEnvironmentVariable("TK_PAGE_SHOTS") + "/" + name;
            dialog_->grab().save(shots + ".png");
            for (const QString& pdf : pdfFiles())
                QFile::copy(pageDir_ + pdf, shots + "-" + pdf);
        }
        ready_.reset();
        dialog_.reset();
    }

    void writeData(const tk::Track& track) {
        const std::string script = tk::mapDataScript(track, {kLineColour, 4, 2});
        QFile file(pageDir_ + "data.js");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(script.data(), static_cast<qint64>(script.size()));
    }

    PrintPreview& open() {
        dialog_ = std::make_unique<PrintPreview>(language_, profile_.get(), *bridge_, pageDir_);
        dialog_->setPrintAsker([this](QPrinter& printer) {
            ++askerCalls_;
            askedLayout_ = printer.pageLayout();
            if (!printAnswer_)
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pageDir_ + QString("printed-%1.pdf").arg(askerCalls_));
            return true;
        });
        ready_ = std::make_unique<QSignalSpy>(dialog_.get(), &PrintPreview::pageReady);
        dialog_->show();
        return *dialog_;
    }

    QVariant evaluate(const QString& script) {
        auto answer = std::make_shared<std::pair<QVariant, bool>>();
        dialog_->browser()->page()->runJavaScript(script, [answer](const QVariant& value) {
            *answer = {value, true};
        });
        EXPECT_TRUE(waitUntil([&] { return answer->second; }));
        return answer->first;
    }

    bool waitReady() {
        return waitUntil([&] { return ready_->count() > 0; }, 20000) &&
               evaluate("!!(window.tkPage && tkPage.ready && "
                        "location.pathname.endsWith('/print.html'))")
                   .toBool();
    }

    QPushButton* button(const char* name) { return dialog_->findChild<QPushButton*>(name); }

    // Presses Save as PDF with the given answer to the save dialog and waits for the file.
    bool saveAs(const QString& answer, QSignalSpy& written) {
        prompts_.saveAnswer = answer;
        button("pdfButton")->click();
        return waitUntil([&] { return written.count() > 0; }, 20000);
    }

    QStringList pdfFiles() const { return QDir(pageDir_).entryList({"*.pdf"}, QDir::Files); }

    QTemporaryDir folder_;
    QString pageDir_;
    FileOnlyInterceptor interceptor_;
    tk::Language language_;
    std::unique_ptr<QWebEngineProfile> profile_;
    std::unique_ptr<PageBridge> bridge_;
    ScriptedPrompts prompts_;
    std::unique_ptr<PrintPreview> dialog_;
    std::unique_ptr<QSignalSpy> ready_;
    int askerCalls_ = 0;
    bool printAnswer_ = true;
    QPageLayout askedLayout_;
};

QByteArray fileStart(const QString& path, int bytes = 5) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

QString tool(const QString& name) {
    return QStandardPaths::findExecutable(name);
}

QByteArray runTool(const QString& name, const QStringList& arguments) {
    QProcess process;
    process.start(tool(name), arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

bool havePoppler() {
    return !tool("pdfinfo").isEmpty() && !tool("pdftoppm").isEmpty() &&
           !tool("pdftotext").isEmpty();
}

// Page 1 of the PDF as a 40 dpi image.
QImage sheetImage(const QString& pdf) {
    const QString stem = pdf + "-sheet";
    runTool("pdftoppm", {"-png", "-r", "40", "-f", "1", "-l", "1", "-singlefile", pdf, stem});
    return QImage(stem + ".png");
}

// Dots of the sheet between the fractions from and to of its width whose colour is near colour
// (or, without one, that are not white).
int dotsBetween(const QImage& sheet, double from, double to, const QColor* colour = nullptr) {
    int dots = 0;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = int(sheet.width() * from); x < int(sheet.width() * to); ++x) {
            const QColor c = sheet.pixelColor(x, y);
            const QColor& near = colour ? *colour : QColor(Qt::white);
            const int distance = std::abs(c.red() - near.red()) +
                                 std::abs(c.green() - near.green()) +
                                 std::abs(c.blue() - near.blue());
            dots += colour ? distance < 60 : distance > 30;
        }
    return dots;
}

TEST_F(PrintPreviewTest, ShowsTheTrackOfDataJsAsItStandsAtEachOpening) {
    writeData(loopTrack(300, 0.01));
    PrintPreview& dialog = open();
    EXPECT_EQ(dialog.windowTitle(), "LogTrace");
    ASSERT_TRUE(waitReady());
    EXPECT_TRUE(dialog.browser()->url().toLocalFile().endsWith("/print.html"));
    const int rows = evaluate("locations.length").toInt();
    EXPECT_GT(rows, 100);
    EXPECT_EQ(evaluate("tkPage.lineVertices").toInt(), rows);

    ASSERT_NE(button("printButton"), nullptr);
    ASSERT_NE(button("pdfButton"), nullptr);
    EXPECT_EQ(button("printButton")->text(), "Print");
    EXPECT_EQ(button("printButton")->accessibleName(), "Print");
    EXPECT_EQ(button("pdfButton")->text(), "Save as PDF");
    EXPECT_EQ(button("pdfButton")->accessibleName(), "Save as PDF");
    EXPECT_NEAR(dialog.width(), 680, 40);
    EXPECT_NEAR(dialog.height(), 440, 40);
    // The browser fills the dialog above the buttons, which sit in a row at the right.
    const QRect page = dialog.browser()->geometry();
    const QRect print = button("printButton")->geometry();
    const QRect pdf = button("pdfButton")->geometry();
    EXPECT_GT(page.width(), dialog.width() - 40);
    EXPECT_LT(page.bottom(), print.top());
    EXPECT_EQ(print.top(), pdf.top());
    EXPECT_LT(print.right(), pdf.left());
    EXPECT_GT(pdf.right(), dialog.width() - 30);
    dialog.resize(900, 600);
    EXPECT_TRUE(waitUntil([&] { return dialog.browser()->height() > 500; }, 2000));

    writeData(loopTrack(40, 0.01));
    open();
    ASSERT_TRUE(waitReady());
    EXPECT_EQ(evaluate("locations.length").toInt(), evaluate("tkPage.lineVertices").toInt());
    EXPECT_LT(evaluate("tkPage.lineVertices").toInt(), rows);
}

// A job asked for at once waits for the page's own word, over the bridge, that its sheet is drawn.
TEST_F(PrintPreviewTest, JobsWaitForThePageToReportItsSheetDrawn) {
    writeData(loopTrack(200, 0.01));
    QSignalSpy drawn(bridge_.get(), &PageBridge::sheetDrawn);
    PrintPreview& dialog = open();
    QSignalSpy written(&dialog, &PrintPreview::pdfWritten);
    int reportsWhenReady = -1;
    QObject::connect(&dialog, &PrintPreview::pageReady, [&] { reportsWhenReady = drawn.count(); });
    prompts_.saveAnswer = pageDir_ + "early.pdf";
    button("pdfButton")->click();
    ASSERT_TRUE(waitUntil([&] { return written.count() > 0; }, 20000));
    EXPECT_TRUE(written.at(0).at(1).toBool());
    EXPECT_EQ(reportsWhenReady, 1);
    EXPECT_EQ(drawn.count(), 1);
    EXPECT_TRUE(evaluate("tkPage.ready && tkPage.tilesSettled").toBool());
}

// A page that cannot report (its script missing, or the page itself) is saved as it stands.
TEST_F(PrintPreviewTest, APageThatNeverReportsIsStillSaved) {
    writeData(loopTrack(50, 0.01));
    QSignalSpy drawn(bridge_.get(), &PageBridge::sheetDrawn);
    for (const char* missing : {"print-page.js", "print.html"}) {
        ASSERT_TRUE(QFile::remove(pageDir_ + missing));
        PrintPreview& dialog = open();
        QSignalSpy written(&dialog, &PrintPreview::pdfWritten);
        prompts_.saveAnswer = pageDir_ + "without-" + missing + ".pdf";
        button("pdfButton")->click();
        ASSERT_TRUE(waitUntil([&] { return written.count() > 0; }, 30000)) << missing;
        EXPECT_TRUE(written.at(0).at(1).toBool()) << missing;
        EXPECT_EQ(ready_->count(), 1) << missing;
    }
    EXPECT_EQ(drawn.count(), 0);
}

// The window's title and its Print caption stay as they are in both languages; the PDF button
// reads in the interface language.
TEST_F(PrintPreviewTest, CaptionsComeFromTheLanguageFile) {
    tk::Language texts(TK_SOURCE_DIR "/res/language.ini");
    const auto captions = [&](int setting) {
        texts.set(setting);
        PrintPreview dialog(texts, profile_.get(), *bridge_, pageDir_);
        if (!qEnvironmentVariableIsEmpty("TK_PAGE_SHOTS")) {
            dialog.show();
            dialog.grab().save(
                QStringLiteral("%1/preview-%2.png")
                    .arg(qEnvironmentVariable("TK_PAGE_SHOTS"), setting ? "zh" : "en"));
        }
        return QStringList{dialog.windowTitle(),
                           dialog.findChild<QPushButton*>("printButton")->text(),
                           dialog.findChild<QPushButton*>("pdfButton")->accessibleName()};
    };
    EXPECT_EQ(captions(0), QStringList({"LogTrace", "Print", "Save as PDF"}));
    EXPECT_EQ(captions(1), QStringList({"LogTrace", "Print", QString::fromUtf8("另存为PDF")}));
}

TEST_F(PrintPreviewTest, CtrlPAndThePagesOwnPrintDoNothing) {
    writeData(loopTrack(100, 0.01));
    PrintPreview& dialog = open();
    QSignalSpy printed(&dialog, &PrintPreview::printed);
    ASSERT_TRUE(waitReady());
    QWidget* target = dialog.browser()->focusProxy();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key_P, Qt::ControlModifier);
    evaluate("window.print(); 1");
    ASSERT_TRUE(settle(dialog.browser()->page()));
    EXPECT_EQ(askerCalls_, 0);
    EXPECT_EQ(printed.count(), 0);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(PrintPreviewTest, PrintOpensTheSystemPrintDialogOnAnA4LandscapeSheet) {
    writeData(loopTrack(100, 0.01));
    PrintPreview& dialog = open();
    dialog.setPrintAsker({});
    QSignalSpy printed(&dialog, &PrintPreview::printed);
    QPageLayout shown;
    int dialogs = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QPrintDialog*>(w); box && box->isVisible()) {
                ++dialogs;
                shown = box->printer()->pageLayout();
                box->reject();
            }
    });
    closer.start(50);
    button("printButton")->click();
    button("printButton")->click();
    EXPECT_EQ(dialogs, 2);
    EXPECT_EQ(shown.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(shown.orientation(), QPageLayout::Landscape);
    ASSERT_TRUE(settle(dialog.browser()->page()));
    EXPECT_EQ(printed.count(), 0);
}

TEST_F(PrintPreviewTest, PrintAsksEveryTimeAndPrintsThePage) {
    writeData(loopTrack(200, 0.01));
    PrintPreview& dialog = open();
    QSignalSpy printed(&dialog, &PrintPreview::printed);
    // Pressed before the page is ready: the print waits for the drawn track.
    button("printButton")->click();
    EXPECT_EQ(askerCalls_, 1);
    EXPECT_EQ(askedLayout_.pageSize().id(), QPageSize::A4);
    EXPECT_EQ(askedLayout_.orientation(), QPageLayout::Landscape);
    ASSERT_TRUE(waitUntil([&] { return printed.count() == 1; }, 30000));
    EXPECT_TRUE(printed.at(0).at(0).toBool());
    EXPECT_EQ(fileStart(pageDir_ + "printed-1.pdf"), "%PDF-");

    button("printButton")->click();
    EXPECT_EQ(askerCalls_, 2);
    ASSERT_TRUE(waitUntil([&] { return printed.count() == 2; }, 30000));
    EXPECT_EQ(fileStart(pageDir_ + "printed-2.pdf"), "%PDF-");
    if (havePoppler()) {
        // The whole sheet on the paper: the track on the map and the summary at the right edge.
        const QImage sheet = sheetImage(pageDir_ + "printed-1.pdf");
        EXPECT_GT(sheet.width(), sheet.height());
        EXPECT_GT(dotsBetween(sheet, 0, 0.6, &kLineRgb), 100);
        EXPECT_GT(dotsBetween(sheet, 0.85, 0.96), 50);
        EXPECT_TRUE(
            runTool("pdfinfo", {pageDir_ + "printed-1.pdf"}).contains("Pages:           1\n"));
    }

    printAnswer_ = false;
    button("printButton")->click();
    ASSERT_TRUE(settle(dialog.browser()->page()));
    EXPECT_EQ(askerCalls_, 3);
    EXPECT_EQ(printed.count(), 2);
    EXPECT_FALSE(QFile::exists(pageDir_ + "printed-3.pdf"));
}

TEST_F(PrintPreviewTest, SavedPdfIsOneSheetWithTheTrackAndItsSummary) {
    writeData(loopTrack(400, 0.012));
    PrintPreview& dialog = open();
    QSignalSpy written(&dialog, &PrintPreview::pdfWritten);
    ASSERT_TRUE(saveAs(pageDir_ + "ride", written));
    EXPECT_EQ(prompts_.filters, QStringList{"PDF files(*.pdf)"});
    EXPECT_EQ(written.at(0).at(0).toString(), pageDir_ + "ride.pdf");
    EXPECT_TRUE(written.at(0).at(1).toBool());
    const QString pdf = pageDir_ + "ride.pdf";
    ASSERT_EQ(fileStart(pdf), "%PDF-");
    EXPECT_EQ(pdfFiles(), QStringList{"ride.pdf"});

    if (!havePoppler())
        GTEST_SKIP() << "poppler-utils not installed: the sheet's content is not checked";
    EXPECT_TRUE(runTool("pdfinfo", {pdf}).contains(QByteArray("Pages:           1\n")));
    const QByteArray text = runTool("pdftotext", {pdf, "-"});
    for (const char* label : {"Peak Speed", "Distance", "Start Time", "2026-05-02 09:15:00"})
        EXPECT_TRUE(text.contains(label)) << label << "\n" << text.toStdString();

    const QImage sheet = sheetImage(pdf);
    ASSERT_FALSE(sheet.isNull());
    EXPECT_GT(sheet.width(), sheet.height());
    // The line's colour on the map part of the sheet (the legend on the right has it too).
    EXPECT_GT(dotsBetween(sheet, 0, 0.6, &kLineRgb), 100);
}

TEST_F(PrintPreviewTest, PdfNamesCancelAndReplacing) {
    writeData(loopTrack(100, 0.01));
    PrintPreview& dialog = open();
    QSignalSpy written(&dialog, &PrintPreview::pdfWritten);
    ASSERT_TRUE(waitReady());

    prompts_.saveAnswer.clear();
    button("pdfButton")->click();
    ASSERT_TRUE(settle(dialog.browser()->page()));
    EXPECT_EQ(written.count(), 0);
    EXPECT_TRUE(pdfFiles().isEmpty());

    ASSERT_TRUE(saveAs(pageDir_ + "upper.PDF", written));
    EXPECT_EQ(pdfFiles(), QStringList{"upper.PDF.pdf"});
    written.clear();
    ASSERT_TRUE(saveAs(pageDir_ + "kept.pdf", written));
    EXPECT_EQ(written.at(0).at(0).toString(), pageDir_ + "kept.pdf");

    // A name that only exists once ".pdf" is appended was never asked about: ask now.
    QFile old(pageDir_ + "walk.pdf");
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    written.clear();
    {
        ModalAnswer answer(QMessageBox::No);
        prompts_.saveAnswer = pageDir_ + "walk";
        button("pdfButton")->click();
        EXPECT_TRUE(waitUntil([&] { return answer.texts().size() == 1; }, 5000));
        ASSERT_TRUE(settle(dialog.browser()->page()));
        EXPECT_TRUE(answer.texts().value(0).contains(pageDir_ + "walk.pdf"));
        EXPECT_EQ(answer.titles().value(0), "Trailkeep");
    }
    EXPECT_EQ(written.count(), 0);
    EXPECT_EQ(fileStart(pageDir_ + "walk.pdf"), "old");
    {
        ModalAnswer answer(QMessageBox::Yes);
        ASSERT_TRUE(saveAs(pageDir_ + "walk", written));
        EXPECT_EQ(answer.texts().size(), 1);
    }
    EXPECT_EQ(fileStart(pageDir_ + "walk.pdf"), "%PDF-");
}

TEST_F(PrintPreviewTest, UnwritablePdfShowsTheReasonAndLeavesNoFile) {
    writeData(loopTrack(100, 0.01));
    PrintPreview& dialog = open();
    QSignalSpy written(&dialog, &PrintPreview::pdfWritten);
    ModalAnswer answer;
    const QString path = pageDir_ + "no-such-folder/track.pdf";
    ASSERT_TRUE(saveAs(path, written));
    EXPECT_FALSE(written.at(0).at(1).toBool());
    EXPECT_TRUE(waitUntil([&] { return answer.texts().size() == 1; }, 2000));
    EXPECT_EQ(answer.titles().value(0), "Trailkeep");
    EXPECT_TRUE(answer.texts().value(0).startsWith(path + ": "))
        << answer.texts().value(0).toStdString();
    EXPECT_GT(answer.texts().value(0).size(), path.size() + 4);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(PrintPreviewTest, EscClosesButAnAskedPdfIsWrittenFirst) {
    writeData(loopTrack(100, 0.01));
    PrintPreview& dialog = open();
    QSignalSpy written(&dialog, &PrintPreview::pdfWritten);
    prompts_.saveAnswer = pageDir_ + "late.pdf";
    button("pdfButton")->click();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(button("printButton")->isEnabled());
    EXPECT_TRUE(waitUntil([&] { return !dialog.isVisible(); }, 20000));
    ASSERT_EQ(written.count(), 1);
    EXPECT_EQ(fileStart(pageDir_ + "late.pdf"), "%PDF-");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);

    open();
    ASSERT_TRUE(waitReady());
    dialog_->browser()->setFocus();
    QWidget* target = dialog_->browser()->focusProxy();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key_Escape);
    EXPECT_TRUE(waitUntil([&] { return !dialog_->isVisible(); }, 3000));
}

} // namespace
