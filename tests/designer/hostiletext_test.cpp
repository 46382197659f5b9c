// Hostile text through the work-order, step, link and save-as dialogs, on SQLite and PostgreSQL.
// Every tenth string of tests/data/naughty-strings.json (the Big List of Naughty Strings) plus a
// few made here goes into every free text box and, where short enough, every ID box (a paste takes
// the whole list); the database then holds exactly what the dialog handed on (trimmed where the designer trims),
// or the dialog refused it by one of its own rules.

#include "tests/designer/designerfixture.h"

#include "core/addinglobals.h"
#include "core/sameid.h"
#include "exchange/stepclipboard.h"
#include "dialogs/frmlink.h"
#include "dialogs/frmnode.h"
#include "dialogs/frmorder.h"
#include "dialogs/frmsaveas.h"
#include "dialogs/numerictextbox.h"
#include "model/strictjson.h"
#include "persistence/connection.h"
#include "resources/stringtable.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMimeData>
#include <QRadioButton>
#include <QSqlError>
#include <algorithm>
#include <limits>
#include <tuple>

namespace korvel {
namespace {

// Every `every`-th string of the list (the dialog walks take a sample; the paste takes them all).
QStringList HostileStrings(int every = 1)
{
    QFile file(QStringLiteral(KORVEL_TEST_DATA_DIR "/naughty-strings.json"));
    QJsonValue list; // read strictly: Qt's reader drops the list's raw U+FEFFs
    JsonRefusal refusal;
    EXPECT_TRUE(file.open(QIODevice::ReadOnly) && StrictJson::Read(file.readAll(), list, refusal));
    QStringList strings;
    for (qsizetype i = 0; i < list.toArray().size(); i += every)
        strings << list.toArray().at(i).toString();
    return strings << QStringLiteral("path\\to\\x") << QStringLiteral("ends in a backslash\\")
                   << QStringLiteral("x'; DROP TABLE Staff; --") << QStringLiteral(u"invoice\u202Efdp.exe")
                   << QStringLiteral(u"\U0001F468\u200D\U0001F469\u200D\U0001F467")
                   << QStringLiteral("\t blank edges ") << QStringLiteral(u"O'Brien\\\u00E9 ").repeated(100)
                   << QStringLiteral(u"\uFEFFstarts with U+FEFF") << QStringLiteral(u"\uFFFE\uFFFF and \uFFFF\uFEFF")
                   << QStringLiteral("a\x01b \x1B[31m\x7F");
}

class HostileText : public DesignerDbTest {
protected:
    // Runs `command`, whose dialog gets `fill` and OK; a dialog that refuses stays open and is
    // cancelled, and so is each of `shownAgain` later rounds. Returns the messages shown.
    template <class Dialog>
    QStringList Confirm(const std::function<void()>& command, std::function<void(Dialog&)> fill,
                        int shownAgain = 0)
    {
        const qsizetype before = Messages().texts().size();
        PlanDialog<Dialog>([&](Dialog& d) {
            fill(d);
            d.CmdOK->click();
            if (d.isVisible())
                d.reject();
        });
        for (int i = 0; i < shownAgain; ++i)
            PlanDialog<Dialog>([](Dialog& d) { d.reject(); });
        command();
        return Messages().texts().mid(before);
    }

    QString NewFrame(const QString& id, const QString& text)
    {
        QString created;
        const QStringList shown = Confirm<FrmOrder>([&] { PressButton("New"); }, [&](FrmOrder& d) {
            if (!id.isEmpty())
                d.TxtID->setText(id);
            created = d.TxtID->text().trimmed();
            d.CboPriority->SetKey("P2"); d.CboType->SetKey("C02"); d.CboUnit->SetKey("D"); d.TxtLen->setText("3");
            for (QAbstractButton* option : std::initializer_list<QAbstractButton*>{d.OptWeb, d.ChkTZ, d.OptTel})
                option->setChecked(true);
            for (QLineEdit* box : {d.TxtName, d.TxtWeb, d.txtAdd, d.TxtContent})
                box->setText(id.isEmpty() ? text : QStringLiteral("Frame"));
        });
        return shown.isEmpty() ? created : shown.join(" / ");
    }

    // A taken ID is refused after the dialog closed, which then opens again.
    QStringList AddStep(const QString& id, const QString& text, bool taken = false)
    {
        return Confirm<FrmNode>([&] { Window().Menu_AddNode_Click(); }, [&](FrmNode& d) {
            if (!id.isEmpty())
                d.TxtID->setText(id);
            d.CboPriority->SetKey("P2"); d.CboUnit->SetKey("H"); d.TxtLen->setText("4"); d.CboStaffGroup->SetKey("G01");
            d.OptWeb->setChecked(true);
            d.TxtName->setText(text); d.TxtWeb->setText(text);
        }, taken ? 1 : 0);
    }

    QStringList AddLink(const QString& code, const QString& father, const QString& text)
    {
        return Confirm<FrmLink>([&] { Window().Menu_AddLink_Click(); }, [&](FrmLink& d) {
            if (!code.isEmpty())
                d.TxtID->setText(code);
            d.CboParent->SetKey(father); d.CboChild->SetKey("END");
            d.OptFilter->click();
            d.CboRelation->setCurrentIndex(d.CboRelation->findText("="));
            for (QLineEdit* box : {d.Txtdesc, d.TxtFilter, d.TxtValue})
                box->setText(text);
        });
    }

    // The values of every row a query with one key finds, sorted.
    QStringList Stored(const QString& sql, const QString& key)
    {
        QStringList values;
        for (auto rs = Connection(Db().database()).OpenRecordset(sql, {key}); !rs->IsEOF(); rs->MoveNext())
            for (int i = 0; i < rs->Columns().size(); ++i)
                values << rs->Fields(i).toString();
        values.sort();
        return values;
    }
};

TEST_P(HostileText, EveryTextBoxStoresTheStringOrRefusesItByItsRule)
{
    const QString texts = QStringLiteral(
        "SELECT f.WorkOrderFrameName, f.WEBLink, f.ReplyAddress, f.REPLYCONTENT, n.WorkOrderNodeName, n.WEBLink, "
        "l.WorkOrderLinkName, l.AddinVariant, l.VariantValue FROM TWO_Frame f JOIN Two_Node n ON "
        "n.WorkOrderFrame_ID = f.WorkOrderFrame_ID JOIN Two_Link l ON l.WorkOrderFrame_ID = f.WorkOrderFrame_ID "
        "WHERE f.WorkOrderFrame_ID = ?");
    for (const QString& text : HostileStrings(10)) {
        SCOPED_TRACE(text.left(40).toStdString());
        Messages().clear();
        const QString trimmed = text.trimmed();
        const QString frame = NewFrame({}, text);
        if (trimmed.isEmpty()) { // a name is required
            EXPECT_EQ(frame, LoadResString(204));
            continue;
        }
        ClickFrame(frame);
        EXPECT_EQ(AddStep({}, text), QStringList{});
        EXPECT_EQ(AddLink({}, Frame(frame).AllNode().AllNode().begin()->first, text), QStringList{});
        PressButton("Save");
        QString copy;
        Confirm<FrmSaveAs>([&] { PressButton("Saveas"); },
                           [&](FrmSaveAs& d) {
                               copy = d.TxtNewID->text();
                               d.TxtNewName->setText(text);
                           });
        EXPECT_EQ(Messages().texts(), (QStringList{LoadResString(126), LoadResString(1026)}));
        // Trimmed: the frame's name, reply address and content, the step's name and web link.
        QStringList expected{trimmed, text, trimmed, trimmed, trimmed, trimmed, text, text, text};
        expected.sort();
        EXPECT_EQ(Stored(texts, frame), expected);
        EXPECT_EQ(Stored(texts, copy), expected);
    }
    EXPECT_TRUE(Host().logLines().isEmpty()) << Host().logLines().join('\n').toStdString();
}

// IDs are refused as taken exactly when the database (frames) or the designer's comparison (steps
// and links of one unsaved frame) finds an equal one, so a save never meets a clash.
TEST_P(HostileText, EveryIdBoxStoresTheStringOrRefusesItByItsRule)
{
    const QString frame = NewFrame({}, "Identifiers");
    ClickFrame(frame);
    QStringList steps, links;
    const auto taken = [](const QStringList& ids, const QString& id) {
        return std::any_of(ids.begin(), ids.end(), [&](const QString& other) { return SameId(other, id); });
    };
    for (const QString& text : HostileStrings(10)) {
        const QString id = text.trimmed();
        if (id.isEmpty() || Utility().ByteLength(id) > 6)
            continue;
        SCOPED_TRACE(id.toStdString());
        const bool frameTaken =
            !Stored("SELECT WorkOrderFrame_ID FROM TWO_Frame WHERE WorkOrderFrame_ID = ?", id).isEmpty();
        EXPECT_EQ(NewFrame(text, {}), frameTaken ? LoadResString(203) : id);
        const bool stepTaken = taken(steps, id);
        EXPECT_EQ(AddStep(text, "Step", stepTaken),
                  stepTaken ? QStringList{LoadResString(128)} : QStringList{});
        if (stepTaken)
            continue;
        steps << id;
        const bool linkTaken = taken(links, id);
        EXPECT_EQ(AddLink(text, id, "Link"), linkTaken ? QStringList{LoadResString(115)} : QStringList{});
        if (!linkTaken)
            links << id;
    }
    PressButton("Save");
    EXPECT_EQ(Messages().texts().last(), LoadResString(126));
    steps.sort();
    links.sort();
    EXPECT_EQ(Stored("SELECT WorkOrderNode_ID FROM Two_Node WHERE WorkOrderFrame_ID = ?", frame), steps);
    EXPECT_EQ(Stored("SELECT WorkOrderLink_ID FROM Two_Link WHERE WorkOrderFrame_ID = ?", frame), links);
    EXPECT_TRUE(Host().logLines().isEmpty()) << Host().logLines().join('\n').toStdString();
}

// NUL and a lone surrogate cannot be stored: every dialog refuses them, naming the box. A NUL
// already in the database (SQLite can hold one) is dropped when read, so the frame saves.
TEST_P(HostileText, UnstorableTextIsRefusedAndNulsReadAreDropped)
{
    OpenLocked("CMP01");
    for (const auto& [text, character] : {std::pair{QString("a") + QChar(0) + "b", "NUL"},
                                          {QString("a") + QChar(0xDC00), "U+DC00"}, {QChar(0xD83D) + QString("x"), "U+D83D"}}) {
        const auto refused = [&](const char* box) { return QStringList{LoadResString(1971).arg(box, character)}; };
        EXPECT_EQ(NewFrame({}, text), refused("WorkOrder").first());
        EXPECT_EQ(AddStep({}, text), refused("Node"));
        EXPECT_EQ(AddLink({}, "N00001", text), refused("LinkDescription"));
        EXPECT_EQ(Confirm<FrmSaveAs>([&] { PressButton("Saveas"); },
                                     [&](FrmSaveAs& d) { d.TxtNewName->setText(text); }),
                  refused("New WorkOrder"));
    }
    if (Db().kind() != TestDatabase::Kind::SQLite)
        return;
    Db().exec("UPDATE Two_Node SET WorkOrderNodeName = 'Reg' || char(0) || 'ister' WHERE WorkOrderNode_ID = 'N00001'");
    OpenWindow(); // CMP01 first, still locked by this user
    Frame("CMP01").AllNode().OneNode("N00001")->setNodeTop(999);
    PressButton("Save");
    EXPECT_EQ(Messages().texts().last(), LoadResString(126));
    EXPECT_EQ(Stored("SELECT WorkOrderNodeName FROM Two_Node WHERE WorkOrderNode_ID = ?", "N00001"), QStringList{"Register"});
    EXPECT_FALSE(Host().logLines().filter("NUL").isEmpty()) << Host().logLines().join('\n').toStdString();
}

// A database seeded with hostile rows: each string (plus one of 5,000 characters) in every free
// text column of a frame of its own, NULL in the other text columns, lengths and positions at the
// ends of their range. Every frame is drawn, every dialog opened and confirmed, every step and link
// written again, and the database afterwards is exactly as seeded. On PostgreSQL this runs once
// more with standard_conforming_strings off before the host prepares the connection.
TEST_P(HostileText, HostileRowsOpenConfirmAndSaveBackUnchanged)
{
    for (const bool quotingOff : {false, true}) {
        if (quotingOff) {
            if (Db().kind() != TestDatabase::Kind::PostgreSQL)
                return;
            TearDown();
            SetUp();
            m_window.reset();
            m_session.reset();
            m_host.reset();
            Db().exec("SET standard_conforming_strings = off");
            m_host = std::make_unique<TestHost>(Db().database(), QString::fromLatin1(StaffId));
            m_session = std::make_unique<AddinSession>(*m_host);
        }
        QStringList frames;
        QSqlQuery q(Db().database());
        const auto insert = [&](const QString& sql, const QVariantList& values) {
            ASSERT_TRUE(q.prepare(sql));
            for (const QVariant& value : values)
                q.addBindValue(value);
            ASSERT_TRUE(q.exec()) << q.lastError().text().toStdString();
        };
        const qint32 most = std::numeric_limits<qint32>::max(), least = std::numeric_limits<qint32>::min();
        const QStringList strings = HostileStrings(10) << QString("\\'x").repeated(1250); // 5,000 characters
        for (const QString& text : strings) {
            const QString s = text.trimmed(),
                          id = QStringLiteral("H%1").arg(frames.size(), 3, 10, QChar('0'));
            if (s.isEmpty())
                continue;
            frames << id;
            insert("INSERT INTO TWO_Frame (WorkOrderFrame_ID, WorkOrderFrameName, Category, Priority_ID, ExpiredPeriod, "
                   "ExpiredPeriodType_ID, CanSkip, AddinType, WEBLink, CanFullScreen, CanGenerateOB, GenerateRate, "
                   "ReplyFlag, ReplyMode, ReplyAddress, REPLYCONTENT, ForecastLen) "
                   "VALUES (?, ?, 'C01', 'P1', ?, 'D', 0, 1, ?, 0, 0, ?, 1, 2, ?, ?, ?)",
                   {id, s, most, s, most, s, s, most});
            insert("INSERT INTO Two_Node (WorkOrderFrame_ID, WorkOrderNode_ID, WorkOrderNodeName, ExpiredPeriod, "
                   "ExpiredPeriodType_ID, CanSendBack, CanSendSelf, CanSkip, EmailNotify, SMSNotify, AddinType, "
                   "WEBLink, CanFullScreen, HandleGroup_ID, NodeTop, NodeLeft, Priority_ID, RefuseReply, CanClose, "
                   "ContactCust, NextBeginTime, TickOffFlag, CanModify, CanBackToBy, ReturnGroupFlag, ForecastLen) "
                   "VALUES (?, ?, ?, ?, 'H', 0, 0, 0, '0', '1', 2, ?, 0, 'G01', ?, ?, 'P1', 0, 0, 0, ?, 0, 0, 0, 0, ?)",
                   {id, id + "N", s, most, s, frames.size() == 1 ? least : 900, frames.size() == 1 ? most : 900,
                    most, most});
            for (const auto& [code, father, son] : {std::tuple{"A", QString("BEGIN"), id + "N"}, {"B", id + "N", "END"}})
                insert("INSERT INTO Two_Link (WorkOrderFrame_ID, WorkOrderLink_ID, WorkOrderLinkName, SonNode_ID, "
                       "FatherNode_ID, AlwaysOpen, AddinVariant, CompareType, VariantValue) "
                       "VALUES (?, ?, ?, ?, ?, 1, ?, '=', ?)", {id, code, s, son, father, s, s});
        }
        const QStringList seeded = DumpTables();
        OpenWindow();
        for (const QString& id : frames) {
            SCOPED_TRACE(id.toStdString());
            Messages().clear();
            OpenLocked(id);
            PlanDialog<FrmOrder>([](FrmOrder& d) { d.CmdOK->click(); });
            Window().TrvTree_DblClick();
            cWorder& frame = Frame(id);
            Scene().SelectItem(&CanvasNode("N" + id + "N"));
            PlanDialog<FrmNode>([](FrmNode& d) { d.CmdOK->click(); });
            Window().Menu_EditNode_Click();
            for (const char* code : {"A", "B"}) {
                Scene().SelectItem(Scene().LinkByKey(QStringLiteral("L") + code));
                PlanDialog<FrmLink>([](FrmLink& d) { d.CmdOK->click(); });
                Window().Menu_EditLink_Click();
                frame.AllLink().OneLinks(code)->setVariantValue(
                    frame.AllLink().OneLinks(code)->VariantValue());
            }
            cNode* node = frame.AllNode().OneNode(id + "N");
            node->setWorkOrderNodeName(node->WorkOrderNodeName()); // written again even when unchanged
            PressButton("Save");
            PressButton("Unlock");
            EXPECT_EQ(Messages().texts(), QStringList{LoadResString(126)});
        }
        // The header edits stamped ModifiedBy and ModifiedDate, which the seeded rows left empty, and
        // every save kept a version.
        Db().exec("UPDATE TWO_Frame SET ModifiedBy = NULL, ModifiedDate = NULL WHERE CreatedBy IS NULL");
        Db().exec("DELETE FROM Korvel_FrameVersion");
        EXPECT_EQ(DumpTables(), seeded) << (quotingOff ? "quoting off" : "");
    }
}

// Every string pasted is saved and read back as copied; a paste of text no database can store, or
// of more than one paste takes, adds nothing and says why.
TEST_P(HostileText, PastedStepsKeepEveryTextOrAreRefusedWithTheReason)
{
    NodeValues step;
    const auto paste = [&](const QStringList& names) {
        CopiedSteps copied{DatabaseIdentity(), "CMP01", {}, {}};
        for (const QString& name : names) {
            step.WorkOrderNode_ID = QStringLiteral("S%1").arg(copied.steps.size());
            step.WorkOrderNodeName = step.WEBLink = name;
            copied.steps << step;
        }
        auto* data = new QMimeData;
        data->setData(StepsMimeType, StepsToJson(copied));
        QApplication::clipboard()->setMimeData(data);
        Window().Selection().PasteSteps();
        return Messages().texts().value(Messages().texts().size() - 1);
    };
    OpenLocked("CMP01");
    EXPECT_EQ(paste({QString("a") + QChar(0) + "b"}), LoadResString(1970).arg("steps[0]", "WorkOrderNodeName", "NUL"));
    EXPECT_EQ(paste(QStringList(2001, "x")), LoadResString(1975).arg(2001).arg(2000));
    EXPECT_EQ(paste(QStringList(20000, "x")), LoadResString(1976).arg(20).arg(4));
    EXPECT_EQ(Frame("CMP01").AllNode().AllNode().Count(), 4);
    paste(HostileStrings());
    PressButton("Save");
    OpenWindow();
    ClickFrame("CMP01");
    QStringList pasted, expected;
    for (const auto& [id, node] : Frame("CMP01").AllNode().AllNode())
        if (id.mid(1).toInt() >= 10) // the demo frames use N00001 to N00009
            pasted << node->WorkOrderNodeName() + "|" + node->WEBLink();
    for (const QString& text : HostileStrings())
        expected << text + "|" + text;
    pasted.sort();
    expected.sort();
    EXPECT_EQ(pasted, expected);
}

INSTANTIATE_TEST_SUITE_P(Db, HostileText, KorvelDatabaseKinds(), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
