#include "core/localiseform.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// A control made as the designer of a form stores ids: in "Tag", the caption or the tool tip.
template <typename Widget> Widget* make(QWidget& form, const QString& text, const QVariant& tag = {})
{
    auto* widget = new Widget(&form);
    widget->setText(text);
    if (tag.isValid())
        widget->setProperty("Tag", tag);
    return widget;
}

// Each kind of control reads its ids where it keeps them. Labels read the whole Tag as a number, other
// controls its leading number; an empty or wordy Tag leaves a button its design caption.
TEST(LocaliseFormTest, EachControlKindReadsItsIds)
{
    QDialog form;
    form.setProperty("Tag", QStringLiteral("118"));
    auto* label = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral(" 101 "));
    auto* numericLabel = make<QLabel>(form, QStringLiteral("lbl"), 103);
    auto* wordyLabel = make<QLabel>(form, QStringLiteral("keep me"), QStringLiteral("101abc"));
    auto* wordyButton = make<QPushButton>(form, QStringLiteral("btn"), QStringLiteral("101abc"));
    auto* emptyTag = make<QPushButton>(form, QStringLiteral("empty"), QStringLiteral(""));
    auto* wordOnly = make<QPushButton>(form, QStringLiteral("word"), QStringLiteral("abc"));
    auto* frame = new QGroupBox(QStringLiteral("frame"), &form);
    frame->setProperty("Tag", QStringLiteral("169"));
    auto* inFrame = make<QCheckBox>(*frame, QStringLiteral("nested"), QStringLiteral("217"));

    auto* menu = new QMenu(QStringLiteral("147"), &form);
    QAction* ok = menu->addAction(QStringLiteral("98"));
    menu->addSeparator();
    QAction* plainItem = menu->addAction(QStringLiteral("Add node"));

    auto* toolbar = new QToolBar(&form);
    QAction* add = toolbar->addAction(QStringLiteral("New"));
    add->setToolTip(QStringLiteral("119"));
    auto* buttonMenu = new QMenu(&form);
    QAction* tagged = buttonMenu->addAction(QStringLiteral("item"));
    tagged->setProperty("Tag", QStringLiteral("221"));
    QAction* withMenu = toolbar->addAction(QStringLiteral("More"));
    withMenu->setToolTip(QStringLiteral("124"));
    withMenu->setMenu(buttonMenu);

    // A tab strip keeps the caption id in the tab data and the tip id in the tip; the last tab counts.
    auto* strip = new QTabBar(&form);
    for (const char* data : {"228", "", "230"})
        strip->setTabData(strip->addTab(QStringLiteral("design")), QString::fromLatin1(data));
    strip->setTabToolTip(0, QStringLiteral("229"));
    strip->setTabToolTip(1, QStringLiteral("just a tip"));

    auto* list = new QTreeWidget(&form);
    list->setHeaderLabels({QStringLiteral("c0"), QStringLiteral("c1"), QStringLiteral("c2")});
    list->headerItem()->setData(0, Qt::UserRole, QStringLiteral("223"));
    list->headerItem()->setData(2, Qt::UserRole, 224);

    LocaliseForm(form);

    EXPECT_EQ(form.windowTitle(), QStringLiteral("WorkOrder configuration"));
    EXPECT_EQ((QStringList{label->text(), numericLabel->text(), wordyLabel->text(), wordyButton->text(),
                           emptyTag->text(), wordOnly->text(), frame->title(), inFrame->text()}),
              (QStringList{"LinkCode", "FatherNode", "keep me", "LinkCode", "empty", "word", "Handle by",
                           "Can Send Current Step"}));
    EXPECT_EQ((QStringList{menu->title(), ok->text(), plainItem->text()}),
              (QStringList{"Node information", "&OK", "Add node"}));
    EXPECT_EQ((QStringList{add->toolTip(), add->text(), withMenu->toolTip(), tagged->text()}),
              (QStringList{"Add WorkOrder", "New", "Quit", "Add"}));
    EXPECT_EQ((QStringList{strip->tabText(0), strip->tabToolTip(0), strip->tabText(1), strip->tabToolTip(1),
                           strip->tabText(2)}),
              (QStringList{"Group", "Return PreStep Processby", "design", "just a tip", "Time Unit"}));
    EXPECT_EQ(
        (QStringList{list->headerItem()->text(0), list->headerItem()->text(1), list->headerItem()->text(2)}),
        (QStringList{"HandleGroup", "c1", "HandleBy"}));
}

// A property without a usable id keeps its design text, and one failing statement skips only itself.
TEST(LocaliseFormTest, UnusableIdsKeepDesignTextsAndTheRestGoesOn)
{
    for (const QVariant& tag : {QVariant(QStringLiteral("")), QVariant(), QVariant(QStringLiteral("118x")),
                                QVariant(QStringLiteral("0")), QVariant(QStringLiteral("5000"))}) {
        QDialog plain;
        plain.setWindowTitle(QStringLiteral("Save as"));
        if (tag.isValid())
            plain.setProperty("Tag", tag);
        LocaliseForm(plain);
        EXPECT_EQ(plain.windowTitle(), QStringLiteral("Save as")) << tag.toString().toStdString();
    }

    QDialog form;
    auto* zeroButton = make<QPushButton>(form, QStringLiteral("Add"), QStringLiteral("0"));
    zeroButton->setToolTip(QStringLiteral("122"));
    auto* unknown = make<QPushButton>(form, QStringLiteral("unknown"), QStringLiteral("5000"));
    unknown->setToolTip(QStringLiteral("0"));
    auto* negative = make<QPushButton>(form, QStringLiteral("negative"), QStringLiteral("-98"));
    // A text box has no caption: its Tag cannot be written anywhere, its tool tip still can.
    auto* edit = make<QLineEdit>(form, QStringLiteral("typed"), QStringLiteral("101"));
    edit->setToolTip(QStringLiteral("105"));
    auto* after = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral("104"));

    LocaliseForm(form);

    EXPECT_EQ((QStringList{zeroButton->text(), zeroButton->toolTip(), unknown->text(), unknown->toolTip(),
                           negative->text(), edit->text(), edit->toolTip(), after->text()}),
              (QStringList{"Add", "Lock", "unknown", "0", "negative", "typed", "OpenCondition", "SonNode"}));
}

// Each page of a tab control is made current in turn to be localised; the current page is restored.
TEST(LocaliseFormTest, TabPagesAreLocalisedAndTheCurrentPageRestored)
{
    QDialog form;
    auto* tabs = new QTabWidget(&form);
    for (const char* text : {"194", "General", "219"})
        tabs->addTab(new QWidget, QString::fromLatin1(text));
    tabs->setCurrentIndex(1);

    LocaliseForm(form);

    EXPECT_EQ((QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
              (QStringList{"Form information", "General", "Page Info"}));
    EXPECT_EQ(tabs->currentIndex(), 1);
}

TEST(LocaliseFormTest, ChineseInterfaceGetsChineseTexts)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QDialog form;
    form.setProperty("Tag", 147);
    auto* label = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral("148"));
    LocaliseForm(form);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    EXPECT_EQ(form.windowTitle(), QStringLiteral("节点信息"));
    EXPECT_EQ(label->text(), QStringLiteral("节点ID："));
}

} // namespace
} // namespace korvel
