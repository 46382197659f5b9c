#pragma once

#include <QLibrary>
#include <QString>
#include <QVariant>
#include <memory>

namespace korvel {

class cInterface;

// The add-in library libkorvel, found by name and loaded at run time, and the one entry object
// the program makes from it. Everything the program asks of the add-in goes through here.
class AddinLibrary final {
public:
    AddinLibrary();
    ~AddinLibrary();
    AddinLibrary(const AddinLibrary&) = delete;
    AddinLibrary& operator=(const AddinLibrary&) = delete;

    // Loads libkorvel from the folder of the executable, else from the folder the build put it in,
    // else from the system's library path, and makes the entry object with the library's
    // CreateKorvelInterface. On failure returns false and sets `error`.
    bool load(QString& error);

    // The entry object's operations (see addin/cinterface.h); StartMe throws what the add-in throws.
    qint32 StartMe(QString& startName, QVariant& hostObject, QVariant& startPara);
    qint32 GetFormHwnd();
    qint32 CloseMe();

    // Deletes the entry object and unloads the library; every other object the add-in made must be
    // gone by then.
    void unload();

    QString fileName() const { return m_library.fileName(); }

private:
    QLibrary m_library;
    std::unique_ptr<cInterface> m_entry;
};

} // namespace korvel
