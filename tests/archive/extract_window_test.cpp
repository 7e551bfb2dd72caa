#include "archive/extract_window.h"

#include "archive/restore_targets.h"
#include "lib/ansi_text.h"
#include "lib/arj_listing.h"
#include "lib/registry_settings.h"
#include "tests/support/forwarding_platform.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/temp_prefix.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace navlor {
namespace {

// The archiver as far as the window sees it: the batch it was given, and a listing file
// written (or not) by the run.
class FakeArchiver : public test::ForwardingPlatform
{
public:
    QString programPath() override { return QStringLiteral("C:\\VALDOROW\\NAVLOR.EXE"); }
    QString windowsDirectory() override { return QStringLiteral("C:\\WINDOWS"); }
    int runAndWait(const QString& command, ShowMode, const QString&) override
    {
        runs << command;
        batches << fromAnsi(readFile(command).value_or(QByteArray()));
        if (listing)
            writeFile(QStringLiteral("C:\\NAVLOR\\LIST.LLL"), *listing);
        return 0;
    }

    std::optional<QByteArray> listing;
    QStringList runs;
    QStringList batches;
};

QByteArray listingOf(const QByteArray& banner, const QList<QByteArray>& entries)
{
    QByteArray text = banner + "\r\n\r\nProcessing archive: D:\\BKP\\BKP00.ARJ\r\n"
                               "Archive created: 2026-06-01 22:00:01\r\n"
                               "Sequence/Pathname/Comment/Chapters\r\n"
                               "001) BEFORE\\TENTH.DB\r\n"
                               "Rev/Host OS    Original Compressed Ratio DateTime modified\r\n"
                               "------------ ---------- ---------- -----\r\n"
                               "1000) ALSO\\BEFORE.DB\r\n";
    int n = 0;
    for (const QByteArray& entry : entries) {
        text += QByteArray::number(++n).rightJustified(3, '0') + ") " + entry + "\r\n";
        text += " 11 WIN32            2048        512 0.250 26-06-01 21:59:58  A\r\n";
    }
    text += "------------ ---------- ---------- -----\r\n";
    return text;
}

// The controls, found by their names as any tool finds them.
struct Controls
{
    explicit Controls(QWidget& w) : window(w) {}
    template <typename T> T* get(const char* name) const
    {
        T* found = window.findChild<T*>(QString::fromLatin1(name));
        if (!found)
            throw std::runtime_error(std::string("no control ") + name);
        return found;
    }

    QWidget& window;
    QGroupBox* GroupBox1 = get<QGroupBox>("GroupBox1");
    QLineEdit* E_EXT_ORIGEM = get<QLineEdit>("E_EXT_ORIGEM");
    QLineEdit* E_EXT_DESTINO = get<QLineEdit>("E_EXT_DESTINO");
    QComboBox* ED_SELEXTRAI = get<QComboBox>("ED_SELEXTRAI");
    QComboBox* CB_XP = get<QComboBox>("CB_XP");
    QCheckBox* CB_TODOS = get<QCheckBox>("CB_TODOS");
    QCheckBox* CB_MULTIVOL = get<QCheckBox>("CB_MULTIVOL");
    QCheckBox* CB_PARAR = get<QCheckBox>("CB_PARAR");
    QCheckBox* CB_ORIGINAIS = get<QCheckBox>("CB_ORIGINAIS");
    QLabel* LA_ORIGINAIS = get<QLabel>("LA_ORIGINAIS");
    QLabel* LA_DIR_LOCAL = get<QLabel>("LA_DIR_LOCAL");
    QListWidget* ESTOR_LISTBOX = get<QListWidget>("ESTOR_LISTBOX");
    QListWidget* ESTOR_LISTBOX_SELEC = get<QListWidget>("ESTOR_LISTBOX_SELEC");
    QPlainTextEdit* RichEdit3 = get<QPlainTextEdit>("RichEdit3");
    QPushButton* BU_DIR_ORIGEM = get<QPushButton>("BU_DIR_ORIGEM");
    QPushButton* BU_EXTRAIR_ABRIR = get<QPushButton>("BU_EXTRAIR_ABRIR");
    QPushButton* BU_EXTR_MAIS = get<QPushButton>("BU_EXTR_MAIS");
    QPushButton* BU_EXTR_MENOS = get<QPushButton>("BU_EXTR_MENOS");
    QPushButton* BU_DIR_DESTINO = get<QPushButton>("BU_DIR_DESTINO");
    QPushButton* BU_DIR_DESTINO_DIALOG = get<QPushButton>("BU_DIR_DESTINO_DIALOG");
    QPushButton* BU_EXTR_EXEC = get<QPushButton>("BU_EXTR_EXEC");
};

const QByteArray kBanner = "ARJ 3.10 [navlor-arj] Copyright (c) ARJ Software";

class ExtractWindow : public ::testing::Test
{
protected:
    ExtractWindow()
    {
        prefix.mkdir("C:\\NAVLOR");
        prefix.write("C:\\ARJ.EXE", "x");
        prefix.mkdir("C:\\RESTAURA\\SUB");
        window.FormShow();
    }

    QStringList items(QListWidget* list) const
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }
    void fill(QListWidget* list, const QStringList& texts) const
    {
        list->clear();
        list->addItems(texts);
    }
    void select(QListWidget* list, const QList<int>& rows) const
    {
        for (int row : rows)
            list->item(row)->setSelected(true);
    }
    QString extractBatch() const { return fromAnsi(prefix.read("C:\\NAVLOR\\VLDRBKP_REST1.BAT")); }

    test::TempPrefix prefix;
    test::ScopedDialogs dialogs;
    test::ScopedPlatform<FakeArchiver> archiver;
    TF_BKP_EXTRAI1 window;
    Controls ui{window};
};

TEST_F(ExtractWindow, ShowSetsTheWorkingDirectoryAndTheArchiver)
{
    EXPECT_EQ(window.objectName(), "F_BKP_EXTRAI1");
    EXPECT_EQ(window.windowTitle(), "F_BKP_EXTRAI1 - Restaura Arquivos");
    EXPECT_EQ(window.DIR_LOCAL(), "C:\\NAVLOR\\");
    EXPECT_EQ(ui.LA_DIR_LOCAL->text(), "C:\\NAVLOR\\");
    EXPECT_EQ(window.ARQ_ARJ(), "C:\\ARJ.EXE");
    EXPECT_EQ(ui.ED_SELEXTRAI->currentText(), "*.*");
    EXPECT_EQ(ui.CB_XP->currentText(), "");
}

TEST_F(ExtractWindow, OpenWithoutArchiveOnlyUnticksParar)
{
    ui.CB_PARAR->setChecked(true);
    window.BU_EXTRAIR_ABRIRClick();
    EXPECT_FALSE(ui.CB_PARAR->isChecked());
    EXPECT_TRUE(archiver->runs.isEmpty());
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(ExtractWindow, OpenListsTheEntriesFromTheTenthLineOn)
{
    archiver->listing = listingOf(kBanner, {"DADOS\\A.DB", "valdorow\\dados\\vldremp.db  \t"});
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    ui.ED_SELEXTRAI->setCurrentText("*.DB");
    ui.CB_XP->setCurrentText("-HF2");
    fill(ui.ESTOR_LISTBOX, {"OLD.DB"});

    ui.BU_EXTRAIR_ABRIR->click();

    EXPECT_EQ(archiver->runs, QStringList{"C:\\NAVLOR\\VLDRBKP_REST.BAT"});
    EXPECT_EQ(
        archiver->batches,
        QStringList{"C:\\ARJ.EXE V -HF2 \"D:\\BKP\\BKP00.ARJ\" *.DB >C:\\NAVLOR\\LIST.LLL\r\n"});
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), (QStringList{"DADOS\\A.DB", "VALDOROW\\DADOS\\VLDREMP.DB"}));
    EXPECT_TRUE(dialogs->messages.isEmpty());
    EXPECT_EQ(dialogs->busyDepth, 0);
    EXPECT_TRUE(ui.RichEdit3->toPlainText().startsWith(QString::fromLatin1(kBanner)));

    // From now on the chooser offers backup archives.
    ui.BU_DIR_ORIGEM->click();
    ASSERT_EQ(dialogs->fileRequests.size(), 1);
    EXPECT_EQ(dialogs->fileRequests[0].filter,
              "Todos os Arquivos   *.*|*.*|Arquivos de BKP   *.arj|*.arj");
}

TEST_F(ExtractWindow, AnotherArchiverVersionIsReportedAndStillParsed)
{
    archiver->listing = listingOf("PKARC 1.0 Copyright 1999 Someone", {"X.DB"});
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    window.BU_EXTRAIR_ABRIRClick();
    EXPECT_EQ(dialogs->messages,
              QStringList{QString::fromUtf8(
                  "Programa ARJ deve ter versão 2.60 - Versão atual = PKARC 1.0 Copyrigh")});
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), QStringList{"X.DB"});

    // An empty listing: nothing after "= " and no entries.
    archiver->listing = QByteArray();
    dialogs->messages.clear();
    window.BU_EXTRAIR_ABRIRClick();
    EXPECT_EQ(dialogs->messages, QStringList{QString::fromUtf8(
                                     "Programa ARJ deve ter versão 2.60 - Versão atual = ")});
    EXPECT_EQ(ui.ESTOR_LISTBOX->count(), 0);
}

TEST_F(ExtractWindow, MissingListingIsAnErrorWithItsPathAndTheOldOneIsNotReadAgain)
{
    // The listing of an earlier run must not pass for this archive's contents.
    prefix.write("C:\\NAVLOR\\LIST.LLL", listingOf(kBanner, {"STALE.DB"}));
    fill(ui.ESTOR_LISTBOX, {"KEPT.DB"});
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\NONE.ARJ");

    window.BU_EXTRAIR_ABRIRClick();

    EXPECT_EQ(archiver->runs.size(), 1);
    EXPECT_EQ(dialogs->messages,
              QStringList{QString::fromUtf8("Cannot open file \"C:\\NAVLOR\\LIST.LLL\". O sistema "
                                            "não pode encontrar o arquivo especificado.")});
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), QStringList{"KEPT.DB"});
    EXPECT_EQ(dialogs->busyDepth, 0);
    // The filter changes only after a listing was read.
    window.BU_DIR_ORIGEMClick();
    EXPECT_TRUE(dialogs->fileRequests.last().filter.startsWith("Todos os Arquivos   *.*|*.*|"
                                                               "Arquivos  *.ARJ *.ZIP *.EXE "));
}

TEST_F(ExtractWindow, OpenReadsTheArchiveItselfWhereItCanAndTheArchiverElsewhere)
{
    prefix.write("C:\\DADOS\\sub\\Ação.db", "abc");
    prefix.write("C:\\DADOS\\B.TXT", "b");
    QProcess arj;
    arj.setWorkingDirectory(prefix.host("C:\\"));
    prefix.mkdir("C:\\BKP");
    arj.start("/usr/bin/arj", {"a", "BKP/REAL.ARJ", "-r", "-y", "DADOS"});
    ASSERT_TRUE(arj.waitForFinished(60000));
    ASSERT_EQ(arj.exitCode(), 0);
    const QByteArray real = prefix.read("C:\\BKP\\REAL.ARJ");
    ASSERT_FALSE(real.isEmpty());
    archiver->listing = listingOf(kBanner, {"LISTED.DB"});
    const QStringList fromHeaders =
        QStringList{"DADOS\\B.TXT", QString::fromUtf8("DADOS\\SUB\\AÇÃO.DB")};
    const struct
    {
        const char* name;
        QByteArray archive;
        const char* mask;
        const char* option;
        QStringList listed;
    } cases[] = {
        {"the headers", real, "*.*", "", fromHeaders},
        {"every entry, said otherwise", real, " * ", "", fromHeaders},
        {"a mask is the archiver's", real, "*.DB", "", {"LISTED.DB"}},
        {"and so is an option", real, "*.*", "-HF2", {"LISTED.DB"}},
        {"headers that cannot be vouched for",
         real.left(real.size() - 1),
         "*.*",
         "",
         {"LISTED.DB"}},
    };
    for (const auto& c : cases) {
        prefix.write("C:\\BKP\\REAL.ARJ", c.archive);
        archiver->runs.clear();
        ui.E_EXT_ORIGEM->setText("C:\\BKP\\REAL.ARJ");
        ui.ED_SELEXTRAI->setCurrentText(c.mask);
        ui.CB_XP->setCurrentText(c.option);
        window.BU_EXTRAIR_ABRIRClick();
        QStringList shown = items(ui.ESTOR_LISTBOX);
        shown.sort();
        EXPECT_EQ(shown, c.listed) << c.name;
        EXPECT_EQ(archiver->runs.size(), c.listed == fromHeaders ? 0 : 1) << c.name;
    }
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

TEST_F(ExtractWindow, PararStopsTheListingAtTheNextEntry)
{
    archiver->listing = listingOf(kBanner, {"A.DB", "B.DB", "C.DB", "D.DB"});
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    ui.CB_PARAR->setChecked(true); // a tick left from the last listing counts for nothing
    // The operator ticks "Parar" while the second entry is shown.
    QObject::connect(ui.ESTOR_LISTBOX->model(), &QAbstractItemModel::rowsInserted, &window, [&] {
        if (ui.ESTOR_LISTBOX->count() == 2)
            QTimer::singleShot(0, &window, [&] { ui.CB_PARAR->setChecked(true); });
    });
    window.BU_EXTRAIR_ABRIRClick();
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), (QStringList{"A.DB", "B.DB"}));
}

TEST_F(ExtractWindow, PlusAndMinusMoveTheSelectedEntriesWithoutDoubles)
{
    fill(ui.ESTOR_LISTBOX, {"A.DB", "B.DB", "C.DB", "D.DB"});
    fill(ui.ESTOR_LISTBOX_SELEC, {"C.DB"});
    select(ui.ESTOR_LISTBOX, {0, 2, 3});
    ui.BU_EXTR_MAIS->click();
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), QStringList{"B.DB"});
    EXPECT_EQ(items(ui.ESTOR_LISTBOX_SELEC), (QStringList{"C.DB", "A.DB", "D.DB"}));

    // Moved back, entries land at the end; the comparison is exact.
    fill(ui.ESTOR_LISTBOX, {"B.DB", "a.db"});
    select(ui.ESTOR_LISTBOX_SELEC, {0, 1});
    ui.BU_EXTR_MENOS->click();
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), (QStringList{"B.DB", "a.db", "C.DB", "A.DB"}));
    EXPECT_EQ(items(ui.ESTOR_LISTBOX_SELEC), QStringList{"D.DB"});

    // Nothing selected or nothing there: nothing moves.
    ui.ESTOR_LISTBOX->clearSelection();
    ui.BU_EXTR_MAIS->click();
    ui.ESTOR_LISTBOX_SELEC->clear();
    ui.BU_EXTR_MENOS->click();
    EXPECT_EQ(ui.ESTOR_LISTBOX->count(), 4);
}

TEST_F(ExtractWindow, LongListingsFillTheListInListingOrderInBatches)
{
    QList<QByteArray> names;
    for (int i = 0; i < 3000; ++i)
        names << "DADOS\\EMP" + QByteArray::number(i % 7) + "\\arq" + QByteArray::number(i) + ".db";
    names[1500] = names[10]; // the same name twice is listed twice
    const QByteArray crlf = listingOf(kBanner, names);
    QByteArray lf = crlf;
    lf.replace("\r\n", "\n");
    QByteArray cr = crlf;
    cr.replace("\r\n", "\r");
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    int inserts = 0;
    QObject::connect(ui.ESTOR_LISTBOX->model(), &QAbstractItemModel::rowsInserted, &window,
                     [&] { ++inserts; });

    for (const QByteArray& listing : {crlf, lf, cr, crlf + "\r\n\r\n", cr + "\r", lf + "\n\n"}) {
        archiver->listing = listing;
        inserts = 0;
        window.BU_EXTRAIR_ABRIRClick();
        const QStringList expected = readArjListing(listing).names();
        ASSERT_EQ(expected.size(), 3000);
        EXPECT_EQ(items(ui.ESTOR_LISTBOX), expected);
        EXPECT_EQ(ui.RichEdit3->toPlainText(), arjListingLines(listing).join(u'\n'));
        EXPECT_LT(inserts, 100) << "one insert per entry";
    }
    EXPECT_TRUE(dialogs->messages.isEmpty());
}

// The move as it was first written, entry by entry: the reference for order, doubles and where
// the current entry ends up.
void moveEntryByEntry(QListWidget* from, QListWidget* to)
{
    QList<int> selected;
    for (int row = 0; row < from->count(); ++row) {
        if (!from->item(row)->isSelected())
            continue;
        selected << row;
        const QString text = from->item(row)->text();
        bool present = false;
        for (int t = 0; t < to->count() && !present; ++t)
            present = to->item(t)->text() == text;
        if (!present)
            to->addItem(text);
    }
    for (qsizetype i = selected.size() - 1; i >= 0; --i)
        delete from->takeItem(selected.at(i));
}

TEST_F(ExtractWindow, MovingManyEntriesKeepsOrderDoublesAndTheCurrentEntry)
{
    struct Case
    {
        const char* name;
        std::function<bool(int)> selected;
        int current; // -1: none
    };
    QRandomGenerator random(20260601);
    QList<bool> coin;
    for (int i = 0; i < 2000; ++i)
        coin << (random.bounded(3) == 0);
    const QList<Case> cases{
        {"all", [](int) { return true; }, 700},
        {"every third, current moved", [](int row) { return row % 3 == 0; }, 900},
        {"a run at the top, current in it", [](int row) { return row < 500; }, 250},
        {"a run at the end, current in it", [](int row) { return row >= 1500; }, 1999},
        {"scattered, current kept", [&](int row) { return coin[row]; }, 1234},
        {"most, the list shorter than it was scrolled", [](int row) { return row >= 300; }, 100},
        {"scattered, no current", [&](int row) { return coin[row]; }, -1},
    };
    QStringList names;
    for (int i = 0; i < 2000; ++i)
        names << QStringLiteral("DADOS\\ARQ%1.DB").arg(i % 1900); // the last 100 repeat
    QListWidget fromBefore;
    QListWidget toBefore;
    window.show();
    QApplication::processEvents();
    for (QListWidget* reference : {&fromBefore, &toBefore}) {
        reference->setSelectionMode(QAbstractItemView::ExtendedSelection);
        reference->setFont(ui.ESTOR_LISTBOX->font());
        reference->resize(ui.ESTOR_LISTBOX->size());
        reference->show();
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList already{names[3], names[4], "OUTRO.DB"};
        for (QListWidget* from : {ui.ESTOR_LISTBOX, &fromBefore}) {
            fill(from, names);
            QItemSelection selection;
            for (int row = 0; row < names.size(); ++row) {
                if (c.selected(row))
                    selection.select(from->model()->index(row, 0), from->model()->index(row, 0));
            }
            from->selectionModel()->select(selection, QItemSelectionModel::Select);
            if (c.current >= 0)
                from->setCurrentRow(c.current, QItemSelectionModel::NoUpdate);
            from->verticalScrollBar()->setValue(800);
        }
        fill(ui.ESTOR_LISTBOX_SELEC, already);
        fill(&toBefore, already);

        ui.BU_EXTR_MAIS->click();
        moveEntryByEntry(&fromBefore, &toBefore);
        QApplication::processEvents();

        EXPECT_EQ(items(ui.ESTOR_LISTBOX), items(&fromBefore));
        EXPECT_EQ(items(ui.ESTOR_LISTBOX_SELEC), items(&toBefore));
        EXPECT_EQ(ui.ESTOR_LISTBOX->currentRow(), fromBefore.currentRow());
        EXPECT_EQ(ui.ESTOR_LISTBOX->selectedItems().size(), 0);
        EXPECT_EQ(ui.ESTOR_LISTBOX->verticalScrollBar()->value(),
                  fromBefore.verticalScrollBar()->value());
    }

    // And all of them back.
    ui.ESTOR_LISTBOX_SELEC->selectAll();
    toBefore.selectAll();
    ui.BU_EXTR_MENOS->click();
    moveEntryByEntry(&toBefore, &fromBefore);
    EXPECT_EQ(ui.ESTOR_LISTBOX_SELEC->count(), 0);
    EXPECT_EQ(items(ui.ESTOR_LISTBOX), items(&fromBefore));
}

TEST_F(ExtractWindow, ALongNameScrollsTheListAsWhenEveryEntryWasSized)
{
    window.show();
    QApplication::processEvents();
    // A long list is measured in slices after it shows: its width settles a little later.
    for (const int rows : {300, 12000}) {
        SCOPED_TRACE(rows);
        QStringList names;
        for (int i = 0; i < rows; ++i)
            names << QStringLiteral("DADOS\\ARQ%1.DB").arg(i);
        const int longRow = rows / 2;
        names[longRow] = "VALDOROW\\DADOS\\" + QString(120, u'W') + "\\CLIENTES.DB";
        QListWidget reference;
        reference.setFont(ui.ESTOR_LISTBOX->font());
        reference.resize(ui.ESTOR_LISTBOX->size());
        reference.show();
        fill(&reference, names);
        fill(ui.ESTOR_LISTBOX, names);
        QApplication::processEvents();
        const int wanted = reference.horizontalScrollBar()->maximum();
        ASSERT_GT(wanted, 0);
        QScrollBar* bar = ui.ESTOR_LISTBOX->horizontalScrollBar();
        for (int round = 0; round < 500 && bar->maximum() != wanted; ++round)
            QApplication::processEvents();
        EXPECT_EQ(bar->maximum(), wanted);

        // Once the long name has gone, the list needs no scrolling sideways.
        ui.ESTOR_LISTBOX->item(longRow)->setSelected(true);
        ui.BU_EXTR_MAIS->click();
        for (int round = 0; round < 500 && bar->maximum() != 0; ++round)
            QApplication::processEvents();
        EXPECT_EQ(bar->maximum(), 0);
        EXPECT_GT(ui.ESTOR_LISTBOX_SELEC->horizontalScrollBar()->maximum(), 0);
        ui.ESTOR_LISTBOX_SELEC->clear();
    }
}

TEST_F(ExtractWindow, ExtractWritesOneLinePerSelectedEntry)
{
    ui.E_EXT_ORIGEM->setText("D:\\\\BKP\\BKP00.ARJ");
    ui.E_EXT_DESTINO->setText("C:\\RESTAURA");
    archiver->listing = listingOf(kBanner, {"DADOS\\A.DB", "VALDOROW\\DADOS\\VLDREMP.DB"});
    ui.BU_EXTRAIR_ABRIR->click();
    ui.ESTOR_LISTBOX->selectAll();
    ui.BU_EXTR_MAIS->click();
    archiver->runs.clear();

    ui.BU_EXTR_EXEC->click();

    EXPECT_EQ(archiver->runs, QStringList{"C:\\NAVLOR\\VLDRBKP_REST1.BAT"});
    EXPECT_EQ(extractBatch(),
              "C:\\ARJ.EXE E  -Y \"D:\\BKP\\BKP00.ARJ\" \"-HTC:\\RESTAURA\" \"DADOS\\A.DB\" \r\n"
              "C:\\ARJ.EXE E  -Y \"D:\\BKP\\BKP00.ARJ\" \"-HTC:\\RESTAURA\" "
              "\"VALDOROW\\DADOS\\VLDREMP.DB\" \r\n");
    EXPECT_EQ(ui.ESTOR_LISTBOX_SELEC->count(), 0);
    // The fake archiver writes nothing: the window says which files did not come back.
    EXPECT_EQ(dialogs->messages,
              QStringList{"ERRO - restauração incompleta - arquivos não restaurados:\n\n"
                          "C:\\RESTAURA\\A.DB\nC:\\RESTAURA\\VLDREMP.DB"});
    EXPECT_TRUE(dialogs->confirmations.isEmpty());

    // An empty selection without "Todos" runs nothing.
    window.BU_EXTR_EXECClick();
    EXPECT_EQ(archiver->runs.size(), 1);
}

TEST_F(ExtractWindow, TodosAsksFirstAndWritesTheOneWholeArchiveLine)
{
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    ui.E_EXT_DESTINO->setText("C:\\RESTAURA");
    ui.CB_XP->setCurrentText("-JE");
    ui.CB_TODOS->setChecked(true);
    ui.CB_MULTIVOL->setChecked(true);
    fill(ui.ESTOR_LISTBOX_SELEC, {"A.DB"});
    // Not listed yet: the entries' times come from a listing taken first.
    archiver->listing = listingOf(kBanner, {"A.DB"});

    dialogs->confirmAnswers = {false};
    window.BU_EXTR_EXECClick();
    EXPECT_EQ(dialogs->confirmations, QStringList{"Extrair todos arquivos ?"});
    EXPECT_EQ(dialogs->confirmCaptions, QStringList{QString::fromUtf8("Extração de Arquivos")});
    EXPECT_TRUE(archiver->runs.isEmpty());
    EXPECT_FALSE(platform().fileExists("C:\\NAVLOR\\VLDRBKP_REST1.BAT"));
    EXPECT_EQ(ui.ESTOR_LISTBOX_SELEC->count(), 1);

    window.BU_EXTR_EXECClick();
    EXPECT_EQ(extractBatch(),
              "C:\\ARJ.EXE X -JE -Y \"D:\\BKP\\BKP00.ARJ\" \"-HTC:\\RESTAURA\" -VA\r\n");
    EXPECT_EQ(archiver->runs,
              (QStringList{"C:\\NAVLOR\\VLDRBKP_REST.BAT", "C:\\NAVLOR\\VLDRBKP_REST1.BAT"}));
    EXPECT_EQ(ui.ESTOR_LISTBOX_SELEC->count(), 0);

    ui.CB_MULTIVOL->setChecked(false);
    window.BU_EXTR_EXECClick();
    EXPECT_EQ(extractBatch(),
              "C:\\ARJ.EXE X -JE -Y \"D:\\BKP\\BKP00.ARJ\" \"-HTC:\\RESTAURA\"\r\n");
}

TEST_F(ExtractWindow, ABatchThatCannotBeWrittenIsNotRun)
{
    // An earlier batch stays where the new one cannot be written: running it would restore
    // other files.
    prefix.write("C:\\NAVLOR\\VLDRBKP_REST1.BAT", "C:\\ARJ.EXE E  -Y \"OLD.ARJ\"\r\n");
    ASSERT_TRUE(
        QFile::setPermissions(prefix.host("C:\\NAVLOR\\VLDRBKP_REST1.BAT"), QFile::ReadOwner));
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    ui.E_EXT_DESTINO->setText("C:\\RESTAURA");
    archiver->listing = listingOf(kBanner, {"A.DB"});
    ui.BU_EXTRAIR_ABRIR->click();
    archiver->runs.clear();
    fill(ui.ESTOR_LISTBOX_SELEC, {"A.DB"});
    window.BU_EXTR_EXECClick();
    EXPECT_TRUE(archiver->runs.isEmpty());
    ASSERT_EQ(dialogs->messages.size(), 1);
    EXPECT_TRUE(
        dialogs->messages[0].startsWith("Cannot create file \"C:\\NAVLOR\\VLDRBKP_REST1.BAT\"."));
    EXPECT_EQ(ui.ESTOR_LISTBOX_SELEC->count(), 1);
}

// The listing's entries were stored at 26-06-01 21:59:58.
TEST_F(ExtractWindow, RefusesNoTargetAndAsksBeforeReplacingNewerFiles)
{
    const auto stamp = [&](const QString& path, const QTime& time) {
        prefix.write(path, "now");
        QFile file(prefix.host(path));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 6, 1), time),
                                     QFileDevice::FileModificationTime));
    };
    prefix.addDrive('D');
    stamp("C:\\RESTAURA\\A.DB", QTime(21, 59, 59)); // the same two-second step
    stamp("C:\\RESTAURA\\B.DB", QTime(22, 0, 0));
    stamp("C:\\RESTAURA\\C.DB", QTime(8, 0, 0));
    stamp("D:\\DADOS\\B.DB", QTime(23, 0, 0));
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    archiver->listing = listingOf(kBanner, {"DADOS\\A.DB", "DADOS\\B.DB", "DADOS\\C.DB"});
    ui.BU_EXTRAIR_ABRIR->click();
    ui.ESTOR_LISTBOX->selectAll();
    ui.BU_EXTR_MAIS->click();
    archiver->runs.clear();

    ui.E_EXT_DESTINO->setText("  ");
    window.BU_EXTR_EXECClick();
    EXPECT_EQ(dialogs->messages, QStringList{QString::fromUtf8("Informe o diretório de destino")});
    EXPECT_TRUE(archiver->runs.isEmpty());

    const auto question = [](const QString& path) {
        return QString::fromUtf8("Os arquivos abaixo são mais novos que os do BKP e serão "
                                 "substituídos:\n\n") +
               path + "\n\nContinuar?";
    };
    const struct
    {
        bool originals;
        bool answer;
        QString asked;
        QString firstLine; // of the batch run, empty for none
    } cases[] = {
        {false, false, question("C:\\RESTAURA\\B.DB"), {}},
        {false, true, question("C:\\RESTAURA\\B.DB"),
         "C:\\ARJ.EXE E  -Y \"D:\\BKP\\BKP00.ARJ\" \"-HTC:\\RESTAURA\" \"DADOS\\A.DB\" "},
        // Into the drive the job's paths came from, each entry below its stored path.
        {true, true, question("D:\\DADOS\\B.DB"),
         "C:\\ARJ.EXE X  -Y \"D:\\BKP\\BKP00.ARJ\" \"-HTD:\\\" \"DADOS\\A.DB\" "},
    };
    ui.E_EXT_DESTINO->setText("C:\\RESTAURA");
    window.setOriginalRoot("d:\\VLDRBKPA");
    for (const auto& c : cases) {
        dialogs->confirmations.clear();
        dialogs->confirmAnswers = {c.answer};
        archiver->runs.clear();
        ui.CB_ORIGINAIS->setChecked(c.originals);
        EXPECT_EQ(ui.E_EXT_DESTINO->isEnabled(), !c.originals);
        window.BU_EXTR_EXECClick();
        EXPECT_EQ(dialogs->confirmations, QStringList{c.asked});
        EXPECT_EQ(archiver->runs.size(), c.firstLine.isEmpty() ? 0 : 1);
        if (!c.firstLine.isEmpty()) {
            EXPECT_EQ(extractBatch().section("\r\n", 0, 0), c.firstLine);
        }
        fill(ui.ESTOR_LISTBOX_SELEC, {"DADOS\\A.DB", "DADOS\\B.DB", "DADOS\\C.DB"});
    }
    EXPECT_EQ(ui.LA_ORIGINAIS->text(), "D:\\");

    QStringList many;
    for (int i = 0; i < 25; ++i)
        many << QStringLiteral("C:\\R\\F%1.DB").arg(i);
    const QStringList lines = newerFilesQuestion(many).split(u'\n');
    EXPECT_EQ(lines.mid(2, 21), many.mid(0, 20) << "... e mais 5 arquivos");
}

TEST_F(ExtractWindow, ArchiveChooserStoresTheOriginInTheRegistry)
{
    ui.E_EXT_ORIGEM->setText("D:\\BKP\\BKP00.ARJ");
    window.BU_DIR_ORIGEMClick(); // cancelled
    EXPECT_EQ(ui.E_EXT_ORIGEM->text(), "D:\\BKP\\BKP00.ARJ");
    EXPECT_EQ(LE_PROGRAMA("VLDRBKP", "EXT_ORIGEM"), "");

    dialogs->fileAnswers = {{"D:\\BKP\\BKP01.ARJ"}};
    window.BU_DIR_ORIGEMClick();
    EXPECT_EQ(ui.E_EXT_ORIGEM->text(), "D:\\BKP\\BKP01.ARJ");
    EXPECT_EQ(LE_PROGRAMA("VLDRBKP", "EXT_ORIGEM"), "D:\\BKP\\BKP01.ARJ");
    ASSERT_EQ(dialogs->fileRequests.size(), 2);
    EXPECT_EQ(dialogs->fileRequests[0].directory, "D:\\BKP\\");
    EXPECT_EQ(dialogs->fileRequests[0].fileName, "BKP00.ARJ");
}

TEST_F(ExtractWindow, TargetChoosers)
{
    dialogs->folderAnswers = {"C:\\RESTAURA"};
    ui.BU_DIR_DESTINO->click();
    EXPECT_EQ(ui.E_EXT_DESTINO->text(), "C:\\RESTAURA");
    EXPECT_EQ(dialogs->folderTitles,
              QStringList{QString::fromUtf8("Selecione diretório de Destino")});

    // The folder icon chooses a folder too, empty ones included.
    dialogs->folderAnswers = {"C:\\RESTAURA\\SUB"};
    ui.BU_DIR_DESTINO_DIALOG->click();
    EXPECT_EQ(ui.E_EXT_DESTINO->text(), "C:\\RESTAURA\\SUB");
    EXPECT_TRUE(dialogs->fileRequests.isEmpty());

    ui.BU_DIR_DESTINO_DIALOG->click(); // cancelled
    EXPECT_EQ(ui.E_EXT_DESTINO->text(), "C:\\RESTAURA\\SUB");
}

TEST(OpenExtractWindow, ShowsTheWindowModallyOnTheArchiveAndReleasesIt)
{
    test::ScopedDialogs dialogs;
    QString origin;
    dialogs->onShowModal = [&](QWidget* shown) {
        auto* window = qobject_cast<TF_BKP_EXTRAI1*>(shown);
        origin = window ? Controls(*window).E_EXT_ORIGEM->text() : QString();
        return 0;
    };
    openExtractWindow(nullptr, "D:\\VLDRBKPA\\BKP03_12_SEMANAL.ARJ");
    EXPECT_EQ(dialogs->modalWindows, QStringList{"F_BKP_EXTRAI1"});
    EXPECT_EQ(origin, "D:\\VLDRBKPA\\BKP03_12_SEMANAL.ARJ");
    EXPECT_EQ(F_BKP_EXTRAI1, nullptr);
}

} // namespace
} // namespace navlor
