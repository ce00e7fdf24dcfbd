#pragma once
// A stand-in "xdg-open", first in PATH while the object lives: it appends every address it is
// given as a line to a file, so a window test sees what a link handed to the desktop without
// starting a browser.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

namespace kestrin::test {

class FakeOpener {
  public:
    FakeOpener() : oldPath_(qgetenv("PATH")) {
        QFile script(folder_.filePath("xdg-open"));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$(dirname \"$0\")/opened\"\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", folder_.path().toUtf8() + ":" + oldPath_);
    }
    ~FakeOpener() { qputenv("PATH", oldPath_); }

    // The addresses opened so far, in order.
    QStringList opened() const {
        QFile list(folder_.filePath("opened"));
        if (!list.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts);
    }

  private:
    QTemporaryDir folder_;
    QByteArray oldPath_;
};

}  // namespace kestrin::test
