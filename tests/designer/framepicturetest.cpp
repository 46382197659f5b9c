// Pictures of a demo frame drawn without a window.
#include "core/korvelerror.h"
#include "designer/framepicture.h"
#include "tests/model/modelfixture.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

namespace korvel {
namespace {

class FramePicture : public ModelTestSQLite {};

TEST_P(FramePicture, SvgPngAndPdfShowTheFlow)
{
    auto frame = LoadFrame(u"CMP01"_s);
    ASSERT_GT(frame->AllNode().AllNode().Count(), 1);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    const QString svgPath = folder.filePath(u"flow.svg"_s);
    WriteFramePicture(*frame, svgPath);
    QFile svg(svgPath);
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    QStringList texts; // what the picture's text elements say
    static const QRegularExpression element(u"<text[^>]*>([^<]*)</text>"_s);
    for (auto m = element.globalMatch(QString::fromUtf8(svg.readAll())); m.hasNext();)
        texts << m.next().captured(1).trimmed();
    const QString svgText = texts.join(u' ');
    // A box wraps its caption, so each word of a step's name stands in a text element of its own.
    for (const auto& [id, node] : frame->AllNode().AllNode())
        for (const QString& word : node->WorkOrderNodeName().split(u' ', Qt::SkipEmptyParts))
            EXPECT_TRUE(svgText.split(u' ').contains(word.toHtmlEscaped())) << id.toStdString() << " " << word.toStdString();

    // Twice the scale gives twice the size, and the picture is not a blank page.
    const QString small = folder.filePath(u"small.PNG"_s), large = folder.filePath(u"large.png"_s);
    WriteFramePicture(*frame, small, 1.0);
    WriteFramePicture(*frame, large, 2.0);
    const QImage one(small), two(large);
    ASSERT_FALSE(one.isNull());
    EXPECT_NEAR(two.width(), 2 * one.width(), 2);
    QSet<QRgb> colours;
    int inked = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            colours.insert(one.pixel(x, y));
            inked += one.pixel(x, y) != qRgb(255, 255, 255);
        }
    EXPECT_GT(colours.size(), 10);
    EXPECT_GT(inked, one.width() * one.height() / 100);

    const QString pdfPath = folder.filePath(u"flow.pdf"_s);
    WriteFramePicture(*frame, pdfPath);
    QFile pdf(pdfPath);
    ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
    EXPECT_TRUE(pdf.read(5).startsWith("%PDF"));

    // Refused: another format, a scale out of range, a folder that is not there.
    EXPECT_THROW(WriteFramePicture(*frame, folder.filePath(u"flow.gif"_s)), KorvelError);
    EXPECT_THROW(WriteFramePicture(*frame, folder.filePath(u"flow.png"_s), 0), KorvelError);
    EXPECT_THROW(WriteFramePicture(*frame, folder.filePath(u"no/such/flow.png"_s)), KorvelError);
    EXPECT_FALSE(QFile::exists(folder.filePath(u"flow.gif"_s)));
}

INSTANTIATE_TEST_SUITE_P(Db, FramePicture, ::testing::Values(TestDatabase::Kind::SQLite), KorvelDatabaseKindName());

} // namespace
} // namespace korvel
