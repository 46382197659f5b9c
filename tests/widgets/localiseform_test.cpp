#include "widgets/localiseform.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
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
// controls its leading number; an empty or wordy Tag leaves a button its design caption. (The texts of
// whole dialogs in both languages, frames, menus and list headers included, are checked through the
// designer window.)
TEST(LocaliseFormTest, EachControlKindReadsItsIds)
{
    QDialog form;
    form.setProperty("Tag", QStringLiteral("118"));
    auto* label = make<QLabel>(form, QStringLiteral("lbl"), QStringLiteral(" 101 "));
    auto* wordyLabel = make<QLabel>(form, QStringLiteral("keep me"), QStringLiteral("101abc"));
    auto* wordyButton = make<QPushButton>(form, QStringLiteral("btn"), QStringLiteral("101abc"));
    auto* emptyTag = make<QPushButton>(form, QStringLiteral("empty"), QStringLiteral(""));
    auto* wordOnly = make<QPushButton>(form, QStringLiteral("word"), QStringLiteral("abc"));

    auto* toolbar = new QToolBar(&form);
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

    LocaliseForm(form);

    EXPECT_EQ((QStringList{form.windowTitle(), label->text(), wordyLabel->text(), wordyButton->text(),
                           emptyTag->text(), wordOnly->text()}),
              (QStringList{"WorkOrder configuration", "LinkCode", "keep me", "LinkCode", "empty", "word"}));
    EXPECT_EQ((QStringList{withMenu->text(), withMenu->toolTip(), tagged->text()}),
              (QStringList{"More", "Quit", "Add"}));
    EXPECT_EQ((QStringList{strip->tabText(0), strip->tabToolTip(0), strip->tabText(1), strip->tabText(2)}),
              (QStringList{"Group", "Return PreStep Processby", "design", "Time Unit"}));
}

// A property without a usable id keeps its design text, one failing statement skips only itself, and
// the pages of a tab control are localised with the current page restored.
TEST(LocaliseFormTest, UnusableIdsKeepDesignTextsAndTheRestGoesOn)
{
    QDialog form;
    form.setWindowTitle(QStringLiteral("Save as"));
    form.setProperty("Tag", QStringLiteral("118x"));
    auto* zeroButton = make<QPushButton>(form, QStringLiteral("Add"), QStringLiteral("0"));
    zeroButton->setToolTip(QStringLiteral("122"));
    auto* unknown = make<QPushButton>(form, QStringLiteral("unknown"), QStringLiteral("5000"));
    unknown->setToolTip(QStringLiteral("0"));
    auto* negative = make<QPushButton>(form, QStringLiteral("negative"), QStringLiteral("-98"));
    // A text box has no caption: its Tag cannot be written anywhere, its tool tip still can.
    auto* edit = make<QLineEdit>(form, QStringLiteral("typed"), QStringLiteral("101"));
    edit->setToolTip(QStringLiteral("105"));
    auto* tabs = new QTabWidget(&form);
    for (const char* text : {"194", "General", "219"})
        tabs->addTab(new QWidget, QString::fromLatin1(text));
    tabs->setCurrentIndex(1);

    LocaliseForm(form);

    EXPECT_EQ((QStringList{form.windowTitle(), zeroButton->text(), zeroButton->toolTip(), unknown->text(),
                           unknown->toolTip(), negative->text(), edit->text(), edit->toolTip()}),
              (QStringList{"Save as", "Add", "Lock", "unknown", "0", "negative", "typed", "OpenCondition"}));
    EXPECT_EQ((QStringList{tabs->tabText(0), tabs->tabText(1), tabs->tabText(2)}),
              (QStringList{"Form information", "General", "Page Info"}));
    EXPECT_EQ(tabs->currentIndex(), 1);
}

} // namespace
} // namespace korvel
