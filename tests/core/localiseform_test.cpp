#include "core/localiseform.h"

#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace korvel {
namespace {

// Widgets are created with ids stored as the designer of a form stores them: "Tag" properties,
// captions, tool tips, tab texts and header data.
template <typename Widget> Widget* make(QWidget& form, const QString& text, const QVariant& tag = {})
{
    auto* widget = new Widget(&form);
    widget->setText(text);
    if (tag.isValid())
        widget->setProperty("Tag", tag);
    return widget;
}

TEST(LocaliseFormTest, FormCaptionFromItsTag)
{
    QDialog form;
    form.setWindowTitle(QStringLiteral("design"));
    form.setProperty("Tag", QStringLiteral("118"));
    LocaliseForm(form);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("WorkOrder configuration"));

    for (const QVariant& tag : {QVariant(QStringLiteral("")), QVariant(), QVariant(QStringLiteral("118x")),
                                QVariant(QStringLiteral("0")), QVariant(QStringLiteral("5000"))}) {
        QDialog plain;
        plain.setWindowTitle(QStringLiteral("Save as"));
        if (tag.isValid())
            plain.setProperty("Tag", tag);
        LocaliseForm(plain);
        EXPECT_EQ(plain.windowTitle(), QStringLiteral("Save as")) << tag.toString().toStdString();
    }
}

// Labels read the whole Tag as a number; every other control reads its leading number.
TEST(LocaliseFormTest, LabelsReadTheWholeTagOtherControlsTheLeadingNumber)
{
    QDialog form;
    auto* label = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral("101"));
    auto* paddedLabel = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral(" 102 "));
    auto* numericLabel = make<QLabel>(form, QStringLiteral("lbl"), 103);
    auto* wordyLabel = make<QLabel>(form, QStringLiteral("keep me"), QStringLiteral("101abc"));
    auto* zeroLabel = make<QLabel>(form, QStringLiteral("zero"), QStringLiteral("0"));
    auto* wordyButton = make<QPushButton>(form, QStringLiteral("btn"), QStringLiteral("101abc"));
    auto* check = make<QCheckBox>(form, QStringLiteral("chk"), QStringLiteral("155"));
    auto* option = make<QRadioButton>(form, QStringLiteral("opt"), QStringLiteral("106 always"));
    auto* frame = new QGroupBox(QStringLiteral("frame"), &form);
    frame->setProperty("Tag", QStringLiteral("169"));
    auto* inFrame = make<QCheckBox>(*frame, QStringLiteral("nested"), QStringLiteral("217"));

    LocaliseForm(form);

    EXPECT_EQ(label->text(), QStringLiteral("LinkCode"));
    EXPECT_EQ(paddedLabel->text(), QStringLiteral("LinkDescription"));
    EXPECT_EQ(numericLabel->text(), QStringLiteral("FatherNode"));
    EXPECT_EQ(wordyLabel->text(), QStringLiteral("keep me"));
    EXPECT_EQ(zeroLabel->text(), QStringLiteral("zero"));
    EXPECT_EQ(wordyButton->text(), QStringLiteral("LinkCode"));
    EXPECT_EQ(check->text(), QStringLiteral("Can take back"));
    EXPECT_EQ(option->text(), QStringLiteral("AlwaysOpen"));
    EXPECT_EQ(frame->title(), QStringLiteral("Handle by"));
    EXPECT_EQ(inFrame->text(), QStringLiteral("Can Send Current Step"));
}

// One failing statement (no such id, no caption to write) skips only itself.
TEST(LocaliseFormTest, UnusableIdsKeepDesignTextsAndTheRestGoesOn)
{
    QDialog form;
    auto* zeroButton = make<QPushButton>(form, QStringLiteral("Add"), QStringLiteral("0"));
    zeroButton->setToolTip(QStringLiteral("122"));
    auto* unknown = make<QPushButton>(form, QStringLiteral("unknown"), QStringLiteral("5000"));
    unknown->setToolTip(QStringLiteral("0"));
    auto* negative = make<QPushButton>(form, QStringLiteral("negative"), QStringLiteral("-98"));
    negative->setToolTip(QStringLiteral("plain tip"));
    // A text box has no caption: its Tag cannot be written anywhere, its tool tip still can.
    auto* edit = make<QLineEdit>(form, QStringLiteral("typed"), QStringLiteral("101"));
    edit->setToolTip(QStringLiteral("105"));
    auto* after = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral("104"));

    LocaliseForm(form);

    EXPECT_EQ(zeroButton->text(), QStringLiteral("Add"));
    EXPECT_EQ(zeroButton->toolTip(), QStringLiteral("Lock"));
    EXPECT_EQ(unknown->text(), QStringLiteral("unknown"));
    EXPECT_EQ(unknown->toolTip(), QStringLiteral("0"));
    EXPECT_EQ(negative->text(), QStringLiteral("negative"));
    EXPECT_EQ(negative->toolTip(), QStringLiteral("plain tip"));
    EXPECT_EQ(edit->text(), QStringLiteral("typed"));
    EXPECT_EQ(edit->toolTip(), QStringLiteral("OpenCondition"));
    EXPECT_EQ(after->text(), QStringLiteral("SonNode"));
}

TEST(LocaliseFormTest, MenusReadTheirCaptionsAndKeepPlainText)
{
    QDialog form;
    auto* numbered = new QMenu(QStringLiteral("147"), &form);
    QAction* ok = numbered->addAction(QStringLiteral("98"));
    numbered->addSeparator();
    QAction* plainItem = numbered->addAction(QStringLiteral("Add node"));
    auto* popup = new QMenu(QStringLiteral("Popup"), &form);
    QAction* popupItem = popup->addAction(QStringLiteral("Delete link"));

    LocaliseForm(form);

    EXPECT_EQ(numbered->title(), QStringLiteral("Node information"));
    EXPECT_EQ(ok->text(), QStringLiteral("&OK"));
    EXPECT_EQ(plainItem->text(), QStringLiteral("Add node"));
    EXPECT_EQ(popup->title(), QStringLiteral("Popup"));
    EXPECT_EQ(popupItem->text(), QStringLiteral("Delete link"));
}

TEST(LocaliseFormTest, ToolbarButtonsTakeTipsAndButtonMenusTheirTags)
{
    QDialog form;
    auto* toolbar = new QToolBar(&form);
    QAction* add = toolbar->addAction(QStringLiteral("New"));
    add->setToolTip(QStringLiteral("119"));
    QAction* noTipId = toolbar->addAction(QStringLiteral("Zoom"));
    noTipId->setToolTip(QStringLiteral("Zoom in"));
    QAction* noTip = toolbar->addAction(QStringLiteral("Edit"));
    auto* buttonMenu = new QMenu(&form);
    QAction* tagged = buttonMenu->addAction(QStringLiteral("item"));
    tagged->setProperty("Tag", QStringLiteral("221"));
    QAction* untagged = buttonMenu->addAction(QStringLiteral("other item"));
    QAction* withMenu = toolbar->addAction(QStringLiteral("More"));
    withMenu->setToolTip(QStringLiteral("124"));
    withMenu->setMenu(buttonMenu);

    LocaliseForm(form);

    EXPECT_EQ(add->toolTip(), QStringLiteral("Add WorkOrder"));
    EXPECT_EQ(add->text(), QStringLiteral("New"));
    EXPECT_EQ(noTipId->toolTip(), QStringLiteral("Zoom in"));
    EXPECT_EQ(noTip->toolTip(), QStringLiteral("Edit"));
    EXPECT_EQ(withMenu->toolTip(), QStringLiteral("Quit"));
    EXPECT_EQ(tagged->text(), QStringLiteral("Add"));
    EXPECT_EQ(untagged->text(), QStringLiteral("other item"));
}

TEST(LocaliseFormTest, TabPagesAreLocalisedAndTheCurrentPageRestored)
{
    QDialog form;
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, QStringLiteral("194"));
    tabs->addTab(new QWidget, QStringLiteral("General"));
    tabs->addTab(new QWidget, QStringLiteral("219"));
    tabs->setCurrentIndex(1);
    QList<int> visited;
    QObject::connect(tabs, &QTabWidget::currentChanged, [&](int index) { visited << index; });

    LocaliseForm(form);

    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Form information"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("General"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Page Info"));
    EXPECT_EQ(tabs->currentIndex(), 1);
    EXPECT_TRUE(visited.contains(0) && visited.contains(2)) << "every page is made current in turn";
}

TEST(LocaliseFormTest, TabStripTabsAndListViewHeaders)
{
    QDialog form;
    auto* strip = new QTabBar(&form);
    strip->addTab(QStringLiteral("first"));
    strip->setTabData(0, QStringLiteral("228"));
    strip->setTabToolTip(0, QStringLiteral("229"));
    strip->addTab(QStringLiteral("second"));
    strip->setTabToolTip(1, QStringLiteral("just a tip"));

    auto* list = new QTreeWidget(&form);
    list->setColumnCount(3);
    list->setHeaderLabels({QStringLiteral("c0"), QStringLiteral("c1"), QStringLiteral("c2")});
    list->headerItem()->setData(0, Qt::UserRole, QStringLiteral("223"));
    list->headerItem()->setData(2, Qt::UserRole, 224);

    LocaliseForm(form);

    EXPECT_EQ(strip->tabText(0), QStringLiteral("Group"));
    EXPECT_EQ(strip->tabToolTip(0), QStringLiteral("Return PreStep Processby"));
    EXPECT_EQ(strip->tabText(1), QStringLiteral("second"));
    EXPECT_EQ(strip->tabToolTip(1), QStringLiteral("just a tip"));
    EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("HandleGroup"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("c1"));
    EXPECT_EQ(list->headerItem()->text(2), QStringLiteral("HandleBy"));
}

TEST(LocaliseFormTest, ChineseInterfaceGetsChineseTexts)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QDialog form;
    form.setProperty("Tag", 147);
    auto* label = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral("148"));
    auto* check = make<QCheckBox>(form, QStringLiteral("chk"), QStringLiteral("168"));
    LocaliseForm(form);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));

    EXPECT_EQ(form.windowTitle(), QStringLiteral("节点信息"));
    EXPECT_EQ(label->text(), QStringLiteral("节点ID："));
    EXPECT_EQ(check->text(), QStringLiteral("全屏显示 "));
}

} // namespace
} // namespace korvel
