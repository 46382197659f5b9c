// The layers below the windows stay so: their sources include nothing from the layers above, and a
// program gets them as the one shared library libkorvel_base, without Qt Widgets.
#include "core/addinglobals.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <dlfcn.h>
#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(Layers, TheLayersBelowTheWindowsIncludeNothingFromAbove)
{
    const QRegularExpression above(
        QStringLiteral(R"(^\s*#\s*include\s*["<](widgets|canvas|dialogs|designer|addin|host)/)"));
    QStringList offending;
    int files = 0;
    for (const char* folder : {"resources", "core", "persistence", "model", "exchange"}) {
        QDirIterator it(QStringLiteral(KORVEL_SOURCE_DIR "/") + QLatin1StringView(folder), {"*.cpp", "*.h"},
                        QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
            ++files;
            for (const QByteArray& line : file.readAll().split('\n'))
                if (above.match(QString::fromUtf8(line)).hasMatch())
                    offending << file.fileName() + QStringLiteral(": ") + QString::fromUtf8(line);
        }
    }
    EXPECT_GT(files, 50);
    EXPECT_TRUE(offending.isEmpty()) << offending.join(u'\n').toStdString();
}

TEST(Layers, TheBaseIsOneSharedLibraryWithoutWidgets)
{
    Dl_info where{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(&Addin), &where), 0);
    EXPECT_TRUE(QString::fromLocal8Bit(where.dli_fname).endsWith(QStringLiteral("/libkorvel_base.so")))
        << where.dli_fname;
    QFile maps(QStringLiteral("/proc/self/maps"));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    EXPECT_FALSE(maps.readAll().contains("libQt6Widgets")) << "this program loads Qt Widgets";
}

} // namespace
} // namespace korvel
