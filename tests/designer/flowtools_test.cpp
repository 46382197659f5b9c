// The flow tools of the window: the check and its dock (by F7 and by Save), the search across
// frames, and export and import through the window's commands.

#include "tests/designer/designerfixture.h"

#include "designer/findingspanel.h"
#include "designer/frmsearch.h"
#include "dialogs/frmsaveas.h"

#include <QFileDialog>
#include <QImage>
#include <QInputDialog>
#include <QTemporaryDir>

namespace korvel {
namespace {

class FlowToolsTest : public DesignerTest {
protected:
    void PressKey(QKeyCombination key)
    {
        Window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
        QTest::keyClick(&Window().TrvTree(), key.key(), key.keyboardModifiers());
    }
    // The findings dock's row about `item` ("step N00003") whose message starts with `message`.
    QTreeWidgetItem* FindingRow(const QString& item, const QString& message)
    {
        QTreeWidget& list = Window().Findings().LstFindings();
        for (int i = 0; i < list.topLevelItemCount(); ++i)
            if (list.topLevelItem(i)->text(2) == item && list.topLevelItem(i)->text(1).startsWith(message))
                return list.topLevelItem(i);
        return nullptr;
    }
    // Plans a file dialog in which `path` is typed. (Its selectFile() is applied only once the
    // folder has been read, too late for a script.)
    void PlanFile(const QString& path)
    {
        PlanDialog<QFileDialog>([path](QFileDialog& d) {
            auto* name = d.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            name->setText(path);
            static_cast<QDialog&>(d).accept(); // QFileDialog makes its own accept() protected
        });
    }
};

// Removing L3 leaves Supervisor review (N00003) unreachable. F7 lists that without saving; Save
// lists it and saves all the same. Clicking the finding selects the step; the dock follows the
// frame made current next.
struct CheckCase {
    const char* name;
    QKeyCombination key;
    bool saves;
};

class FlowCheckTest : public FlowToolsTest, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(FlowCheckTest, ListsFindingsInTheDockAndClickingOneSelectsItsStep)
{
    OpenLocked("CMP01");
    ASSERT_EQ(Frame("CMP01").AllLink().DelMe("L3").toInt(), 1);
    EXPECT_TRUE(Window().Findings().isHidden());
    PressKey(GetParam().key);
    EXPECT_FALSE(Window().Findings().isHidden());
    QTreeWidgetItem* row =
        FindingRow("step N00003", "Step Supervisor review (N00003) cannot be reached from Start");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderLink_ID = 'L3'"), GetParam().saves ? 0 : 1);

    QTreeWidget& list = Window().Findings().LstFindings();
    list.scrollToItem(row);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(row).center());
    EXPECT_EQ(Canvas().scene()->selectedItems(), QList<QGraphicsItem*>{&CanvasNode("NN00003")});

    if (!GetParam().saves)
        Messages().planAnswer(QMessageBox::No);
    ClickFrame("BIL01");
    ASSERT_EQ(list.topLevelItemCount(), 1);
    EXPECT_EQ(list.topLevelItem(0)->text(1), "BIL01: no findings.");
}

INSTANTIATE_TEST_SUITE_P(Check, FlowCheckTest,
                         ::testing::Values(CheckCase{"F7", QKeyCombination(Qt::Key_F7), false},
                                           CheckCase{"Save", Qt::CTRL | Qt::Key_S, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Ctrl+F finds a text in every frame; choosing a hit opens its frame by the way a tree click does,
// which asks about unsaved changes first, and selects the step or link.
struct SearchCase {
    const char* name;
    const char* text;
    const char* row;
    QMessageBox::StandardButton answer; // to the question about CMP01's unsaved change; none: no change
    const char* frame;
    const char* selected;
};

class FlowSearchTest : public FlowToolsTest, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(FlowSearchTest, OpensTheFrameOfTheChosenHitAndSelectsIt)
{
    const SearchCase& c = GetParam();
    if (c.answer != QMessageBox::NoButton) {
        OpenLocked("CMP01");
        Frame("CMP01").AllNode().OneNode("N00002")->setNodeLeft(4321);
        Messages().planAnswer(c.answer);
    }
    PlanDialog<FrmSearch>([&](FrmSearch& d) {
        Type(d.TxtFind, QString::fromUtf8(c.text));
        QTest::mouseClick(d.CmdSearch, Qt::LeftButton);
        const auto rows = d.LstHits->findItems(QString::fromLatin1(c.row), Qt::MatchExactly, 1);
        ASSERT_EQ(rows.size(), 1);
        d.LstHits->setCurrentItem(rows.first());
        QTest::mouseClick(d.CmdOpen, Qt::LeftButton);
    });
    PressKey(Qt::CTRL | Qt::Key_F);
    EXPECT_EQ(Orders().CurWOrder(), QString::fromLatin1(c.frame));
    EXPECT_EQ(Canvas().Tag(), QString::fromLatin1(c.frame));
    EXPECT_EQ(Window().SelectedTreeItem(), TreeItem(c.frame));
    QList<QGraphicsItem*> selected;
    if (QGraphicsItem* item = Canvas().NodeByKey(c.selected))
        selected << item;
    else if (QGraphicsItem* link = Canvas().LinkByKey(c.selected))
        selected << link;
    EXPECT_EQ(Canvas().scene()->selectedItems(), selected);
    if (c.answer == QMessageBox::Cancel) {
        EXPECT_EQ(Frame("CMP01").AllNode().OneNode("N00002")->NodeLeft(), 4321);
    }
}

INSTANTIATE_TEST_SUITE_P(Search, FlowSearchTest,
                         ::testing::Values(SearchCase{"StepHandlerInAFrameNotOpen", "LIHUA", "step N00009",
                                                      QMessageBox::NoButton, "BIL01", "NN00009"},
                                           SearchCase{"LinkNameAfterDroppingChanges", "not satisfied",
                                                      "link R4", QMessageBox::No, "REP01", "LR4"},
                                           SearchCase{"CancelKeepsTheChangedFrame", "not satisfied",
                                                      "link R4", QMessageBox::Cancel, "CMP01", ""}),
                         [](const auto& info) { return std::string(info.param.name); });

// A frame exported through the window comes back through Import under a new ID, asked for because
// its own is in use; a cancelled ID leaves the database as it was.
TEST_F(FlowToolsTest, ExportedFrameImportsUnderANewIdAndJoinsTheTree)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("cmp01.json");
    PlanDialog<QInputDialog>([](QInputDialog& d) {
        EXPECT_TRUE(d.textValue().contains("CMP01"));
        d.accept();
    });
    PlanFile(path);
    Window().MenuBarAction("Export")->trigger();
    ASSERT_TRUE(QFile::exists(path)) << Messages().texts().join('\n').toStdString();

    const QStringList before = DumpTables();
    PlanFile(path);
    PlanDialog<FrmSaveAs>([](FrmSaveAs& d) { QTest::mouseClick(d.CmdCacel, Qt::LeftButton); });
    Window().MenuBarAction("Import")->trigger();
    EXPECT_EQ(DumpTables(), before) << DumpDifference(before, DumpTables());

    PlanFile(path);
    PlanDialog<FrmSaveAs>([](FrmSaveAs& d) {
        EXPECT_EQ(d.TxtOldWO->text(), "Customer complaint");
        Type(d.TxtNewID, "CMP01"); // still in use: refused, the dialog stays
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
        EXPECT_TRUE(d.isVisible());
        Type(d.TxtNewID, "IMP01");
        QTest::mouseClick(d.CmdOK, Qt::LeftButton);
    });
    Window().MenuBarAction("Import")->trigger();
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Node WHERE WorkOrderFrame_ID = 'IMP01'"), 4);
    EXPECT_EQ(Count("SELECT COUNT(*) FROM Two_Link WHERE WorkOrderFrame_ID = 'IMP01'"), 6);
    ASSERT_NE(TreeItem("IMP01"), nullptr);
    EXPECT_EQ(TreeItem("IMP01")->text(0), "Customer complaint");
    EXPECT_EQ(Window().SelectedTreeItem(), TreeItem("IMP01"));
    EXPECT_EQ(Orders().CurWOrder(), "IMP01");
    EXPECT_EQ(Canvas().Nodes().size(), 6);
    EXPECT_TRUE(Messages().texts().contains("Imported work order IMP01."));
}

// A picture of the flow on the screen: PNG at the scale asked for, SVG and PDF without asking.
TEST_F(FlowToolsTest, ExportPictureWritesTheFileItsSuffixNames)
{
    QTemporaryDir folder;
    const auto exportPicture = [&](const QString& name, double scale) {
        PlanFile(folder.filePath(name));
        if (scale > 0)
            PlanDialog<QInputDialog>([scale](QInputDialog& d) {
                d.setDoubleValue(scale);
                d.accept();
            });
        Window().MenuBarAction("ExportPicture")->trigger();
        EXPECT_EQ(Messages().texts().constLast().toStdString(), ("Wrote " + folder.filePath(name) + ".").toStdString());
    };
    exportPicture("one.png", 1);
    exportPicture("two.PNG", 2);
    exportPicture("flow.svg", 0);
    exportPicture("flow.pdf", 0);
    const QImage one(folder.filePath("one.png"));
    const QImage two(folder.filePath("two.PNG"));
    ASSERT_FALSE(one.isNull());
    EXPECT_NEAR(two.width(), 2 * one.width(), 1);
    EXPECT_TRUE(QFile(folder.filePath("flow.svg")).size() > 0 &&
                QFile(folder.filePath("flow.pdf")).size() > 0);

    // A file that exists is replaced only when the user says so.
    Messages().planAnswer(QMessageBox::No);
    PlanFile(folder.filePath("two.PNG"));
    Window().MenuBarAction("ExportPicture")->trigger();
    EXPECT_EQ(QImage(folder.filePath("two.PNG")), two);
}

} // namespace
} // namespace korvel
