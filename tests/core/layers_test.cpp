// The base's layers reach every program as the one library libkorvel_base, without Qt Widgets.
#include "core/addinglobals.h"

#include <QFile>
#include <dlfcn.h>
#include <gtest/gtest.h>

TEST(Layers, TheBaseIsOneSharedLibraryWithoutWidgets)
{
    Dl_info where{};
    ASSERT_TRUE(::dladdr(reinterpret_cast<void*>(&korvel::Addin), &where));
    EXPECT_TRUE(QByteArray(where.dli_fname).endsWith("/libkorvel_base.so")) << where.dli_fname;
    QFile maps(QStringLiteral("/proc/self/maps"));
    EXPECT_TRUE(maps.open(QIODevice::ReadOnly) && !maps.readAll().contains("libQt6Widgets"));
}
