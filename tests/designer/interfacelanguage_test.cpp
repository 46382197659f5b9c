// Every text the designer window and its dialogs show follows the interface language. Texts are
// found by type, so controls, menus and toolbar buttons added later are covered as they are.

#include "tests/designer/designerfixture.h"

#include "designer/pathpreview.h"
#include "designer/pathpreviewpanel.h"
#include "resources/stringtable.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

namespace korvel {
namespace {

class InterfaceLanguage : public DesignerTest, public ::testing::WithParamInterface<Language> {
protected:
    void SetUp() override
    {
        QLocale::setDefault(GetParam() == Language::Chinese
                                ? QLocale(QLocale::Chinese, QLocale::China)
                                : QLocale(QLocale::English, QLocale::UnitedStates));
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Korvel")); // as the korvel program does
        DesignerTest::SetUp();
    }
    void TearDown() override
    {
        DesignerTest::TearDown();
        QGuiApplication::setApplicationDisplayName(QString());
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void Add(const QString& where, const QString& text) { m_texts << where + QStringLiteral(": ") + text; }
    void AddModel(const QString& where, const QAbstractItemModel& model, const QModelIndex& parent = {})
    {
        for (int row = 0; row < model.rowCount(parent); ++row)
            for (int column = 0; column < model.columnCount(parent); ++column) {
                Add(where, model.index(row, column, parent).data().toString());
                AddModel(where, model, model.index(row, column, parent));
            }
    }
    // The texts of `root` and all in it. A text box's text is what was typed or read from the
    // database, not a caption: only its place-holder and tips count.
    void Walk(QWidget& root, const QString& name)
    {
        QList<QWidget*> widgets = root.findChildren<QWidget*>();
        for (QWidget* widget : widgets << &root) {
            const QString where = name + u'/' + widget->objectName();
            for (const char* property : {"text", "title", "windowTitle", "toolTip", "statusTip", "whatsThis",
                                         "placeholderText", "informativeText", "labelText"})
                if (!qobject_cast<QLineEdit*>(widget) || qstrcmp(property, "text") != 0)
                    Add(where, widget->property(property).toString());
            for (QAction* action : widget->actions())
                for (const QString& text : {action->text(), action->toolTip(), action->statusTip()})
                    Add(where + u'/' + action->objectName(), text);
            if (auto* combo = qobject_cast<QComboBox*>(widget))
                AddModel(where, *combo->model());
            if (auto* header = qobject_cast<QHeaderView*>(widget)) {
                for (int section = 0; section < header->count() && !header->isHidden(); ++section)
                    if (!header->isSectionHidden(section))
                        Add(where, header->model()->headerData(section, header->orientation()).toString());
            } else if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model()) {
                AddModel(where, *view->model());
            }
        }
        m_walked << name;
    }

    QStringList m_texts;
    QStringList m_walked;
};

TEST_P(InterfaceLanguage, EveryTextOfTheWindowAndItsDialogsIsInTheInterfaceLanguage)
{
    OpenLocked(QStringLiteral("CMP01"));
    // Every dialog is walked; a button that opens a further dialog is pressed, then OK on the
    // untouched form so that its first check speaks; then it is cancelled.
    std::function<void(QDialog&)> script = [&](QDialog& dialog) {
        if (auto* find = dialog.findChild<QLineEdit*>(QStringLiteral("TxtFind"))) {
            find->setText(QStringLiteral("N0000")); // the search lists its hits
            dialog.findChild<QPushButton*>(QStringLiteral("CmdSearch"))->click();
        }
        Walk(dialog, dialog.objectName());
        if (qobject_cast<QInputDialog*>(&dialog)) { // its proposed value is accepted as it stands
            EXPECT_TRUE(dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->isEnabled())
                << dialog.objectName().toStdString();
        }
        if (auto* multi = dialog.findChild<QRadioButton*>(QStringLiteral("OptMulti")))
            Click(multi);
        for (const char* opener : {"CmdSetUp", "CmdSelectFile"})
            if (auto* button = dialog.findChild<QPushButton*>(QString::fromLatin1(opener))) {
                Modals().plan(script);
                button->click();
            }
        if (auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("CmdOK")); ok && dialog.isVisible())
            ok->click();
        dialog.reject();
    };
    for (const std::function<void()>& command : std::initializer_list<std::function<void()>>{
             [&] { Window().Menu_AddNode_Click(); }, [&] { Window().Menu_AddLink_Click(); },
             [&] { PressButton("New"); }, [&] { PressButton("Saveas"); }, [&] { Window().View().ShowLegend(); },
             [&] { Window().Tools().SearchWorkOrders(); }, [&] { Window().Tools().ExportWorkOrders(); },
             [&] { Window().MenuBarAction(QStringLiteral("PrintPreview"))->trigger(); },
             [&] { Window().Frames().OpenFrame(); }}) {
        Modals().plan(script);
        command();
    }
    // The scale of a PNG picture is asked for once the file is chosen (Qt's file dialog is not ours).
    QTemporaryDir folder;
    Modals().plan([&](QDialog& files) {
        files.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(folder.filePath(QStringLiteral("flow.png")));
        files.accept();
    });
    Modals().plan(script);
    Window().Tools().ExportPicture();
    Window().View().ShowHelp();
    Frame(QStringLiteral("CMP01")).AllLink().DelMe(QStringLiteral("L3")); // Supervisor review unreachable
    Window().Tools().CheckWorkOrder(); // the findings dock
    EXPECT_EQ(Modals().shown(), (QStringList{"FrmNode", "FrmEdit", "FrmLink", "FrmOrder", "FrmSelectDoc", "FrmSaveAs",
                                             "FrmLegend", "FrmSearch", "ExportChoice", "PrintPreviewDialog", "FrmOpenFrame",
                                             "FileDialog",
                                             "PictureScale"}));
    EXPECT_GE(Messages().texts().size(), 4);

    // A real message box with Qt's own buttons: the question before a frame is deleted, answered No.
    auto scripted = SetMessageService(nullptr);
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            Walk(*box, QStringLiteral("message box"));
            box->button(QMessageBox::No)->click();
        }
    });
    answerer.start(50);
    PressButton(QStringLiteral("Del"));
    SetMessageService(std::move(scripted));
    ASSERT_TRUE(m_walked.contains(QStringLiteral("message box")));

    // The path preview, with a value its rules cannot compare.
    Window().MenuBarAction(QStringLiteral("PreviewPath"))->trigger();
    QTest::qWait(100);
    Type(Window().Preview().Panel().Field(QStringLiteral("compensation")), QStringLiteral("5,00"));
    QTest::qWait(300);
    Walk(Window(), QStringLiteral("window"));
    for (const QString& message : Messages().texts())
        Add(QStringLiteral("message"), message);
    // The title names the frame and ends with the program's caption.
    ASSERT_FALSE(m_texts.filter(QRegularExpression(QStringLiteral("^window/FrmMain: .* - ") +
                                                   QRegularExpression::escape(LoadResString(118)) + u'$'))
                     .isEmpty());

    // Data in either language is left out: every text value the database holds.
    QStringList data;
    for (const QString& table : Db().database().tables())
        for (const QString& row : Db().rows(QStringLiteral("SELECT * FROM ") + table))
            data << row.split(u'|');
    std::sort(data.begin(), data.end(),
              [](const QString& a, const QString& b) { return a.size() > b.size(); });
    // English shows no CJK character or full-width sign; Chinese no ASCII word of two letters or more
    // but the product name, the words the string table's Chinese texts use: ID (节点ID), Email
    // (id 211), WEB (ids 166, 195), and the names printed on the keys (Ctrl+S, Del, Enter).
    const QRegularExpression foreign(
        GetParam() == Language::English
            ? QStringLiteral("[\\x{3000}-\\x{303F}\\x{3400}-\\x{9FFF}\\x{FF00}-\\x{FFEF}]")
            : QStringLiteral("(?<![A-Za-z])(?!(Korvel|ID|Email|WEB|Ctrl|Shift|Del|Enter)(?![A-Za-z]))[A-Za-z]{2,}"));
    QStringList wrong;
    for (const QString& shown : std::as_const(m_texts)) {
        QString text = shown.section(QStringLiteral(": "), 1);
        for (const QString& value : std::as_const(data))
            if (value.size() > 1)
                text.replace(value, QStringLiteral(" "));
        if (text.contains(foreign))
            wrong << shown;
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Language, InterfaceLanguage, ::testing::Values(Language::English, Language::Chinese),
                         [](const auto& info) {
                             return info.param == Language::Chinese ? "Chinese" : "English";
                         });

} // namespace
} // namespace korvel
