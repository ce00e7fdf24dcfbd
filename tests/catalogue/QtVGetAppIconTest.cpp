#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QPalette>
#include <QTest>
#include <filesystem>
#include <memory>

#include "catalogue/QtVGetAppIcon.h"
#include "support/IconFixtures.h"
#include "support/TempEnvironment.h"

namespace fs = std::filesystem;

namespace kestrin {
namespace {

using test::FixtureImage;

const QColor kBackground(10, 200, 180);

// Colours of the fixtures, one per icon, so that a bitmap shows which icon it was made of.
constexpr std::uint32_t kProgramLarge = 0xFFC00000;
constexpr std::uint32_t kProgramSmall = 0xFF00C000;
constexpr std::uint32_t kProgramSecond = 0xFF0000C0;
constexpr std::uint32_t kPngInGroup = 0xFFC000C0;
constexpr std::uint32_t kIcoLarge = 0xFF00C0C0;
constexpr std::uint32_t kIcoSmall = 0xFFC0C000;
constexpr std::uint32_t kPngFile = 0xFFFF8000;
constexpr std::uint32_t kSvgFile = 0xFF336699;
constexpr std::uint32_t kXpmFile = 0xFF804020;
constexpr std::uint32_t kThemeIcon = 0xFF208040;

// A 32 × 32 image of one colour with a transparent top-left pixel, like the icon fixtures.
QImage markedImage(std::uint32_t colour) {
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(colour));
    image.setPixel(0, 0, 0);
    return image;
}

std::string encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}

void writeExecutable(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    test::writeFile(file, bytes);
    fs::permissions(file, fs::perms::owner_all);
}

class QtVGetAppIconTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TempEnvironment> environment_;
    std::unique_ptr<test::ScopedVariable> dataDirs_;
    fs::path files_;

    // The files of every row, and the desktop entries and the icon theme of the Linux rows.
    void writeFixtures() {
        files_ = environment_->root() / "files";
        fs::create_directories(files_);
        const FixtureImage large(32, 8, kProgramLarge);
        const FixtureImage small(16, 4, kProgramSmall);
        const FixtureImage second(32, 32, kProgramSecond);
        test::writeFile(files_ / "prog.exe", test::programBytes({{large, small}, {second}}).bytes);
        FixtureImage png(32, 32);
        png.png = encoded(markedImage(kPngInGroup), "PNG");
        test::writeFile(files_ / "png.dll", test::programBytes({{png}}).bytes);
        test::writeFile(files_ / "two.ico", test::iconFileBytes({FixtureImage(16, 32, kIcoSmall),
                                                                 FixtureImage(32, 4, kIcoLarge)}));
        test::writeFile(files_ / "image.png", encoded(markedImage(kPngFile), "PNG"));
        test::writeFile(files_ / "image.xpm", encoded(markedImage(kXpmFile), "XPM"));
        test::writeFile(files_ / "image.svg",
                        "<svg xmlns='http://www.w3.org/2000/svg' width='64' height='64'>"
                        "<rect width='64' height='64' fill='#336699'/></svg>");
        test::writeFile(files_ / "notes.txt", "just text");

        writeExecutable(files_ / "tool", test::elfBytes());
        writeExecutable(files_ / "tool.sh", "#!/bin/sh\nexit 0\n");
        writeExecutable(files_ / "lonely", test::elfBytes());
        const fs::path data = environment_->root() / "data";
        fs::create_directories(data / "applications");
        test::writeFile(data / "applications/tool.desktop",
                        "[Desktop Entry]\nType=Application\nName=Tool\nExec=" +
                            (files_ / "tool").string() + " %f\nIcon=kestrin-fixture-tool\n");
        test::writeFile(
            data / "applications/script.desktop",
            "[Desktop Entry]\nName=Script\nExec=sh -c x\nTryExec=" + (files_ / "tool.sh").string() +
                "\nIcon=" + (files_ / "image.png").string() + "\n");
        const fs::path theme = data / "icons/hicolor";
        fs::create_directories(theme / "32x32/apps");
        test::writeFile(theme / "index.theme",
                        "[Icon Theme]\nName=Hicolor\nDirectories=32x32/apps\n\n"
                        "[32x32/apps]\nSize=32\nType=Fixed\n");
        test::writeFile(theme / "32x32/apps/kestrin-fixture-tool.png",
                        encoded(markedImage(kThemeIcon), "PNG"));
    }

  private slots:
    void initTestCase() {
        environment_ = std::make_unique<test::TempEnvironment>();
        // No desktop entry of this machine takes part.
        dataDirs_ = std::make_unique<test::ScopedVariable>(
            "XDG_DATA_DIRS", (environment_->root() / "no-system-data").string());
        writeFixtures();
    }
    void cleanupTestCase() {
        dataDirs_.reset();
        environment_.reset();
    }

    void startsAtThirtyTwoPixelsOnTheWindowColour() {
        TVGetAppIcon icons;
        QCOMPARE(icons.IconSize, 32);
        QCOMPARE(icons.BackColor, QApplication::palette().color(QPalette::Window));
        QVERIFY(icons.Bitmap.isNull());
        QVERIFY(icons.Icon.isNull());
    }

    void getIconDrawsTheChosenIconOnTheBackground_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("size");
        QTest::addColumn<QColor>("colour");  // of the icon; invalid: the background alone
        QTest::addColumn<bool>("hole");      // the icon's transparent top-left pixel shows

        const QColor none;
        auto row = [](const char* name, const char* file, int index, int size, QColor colour,
                      bool hole) {
            QTest::newRow(name) << QString(file) << index << size << colour << hole;
        };
        auto rgb = [](std::uint32_t colour) { return QColor::fromRgba(colour); };
        row("program, icon 0, large", "prog.exe", 0, 32, rgb(kProgramLarge), true);
        row("program, icon 0, small", "prog.exe", 0, 16, rgb(kProgramSmall), true);
        row("program, icon 1", "prog.exe", 1, 32, rgb(kProgramSecond), true);
        row("program, icon 1, small from the large image", "prog.exe", 1, 16, rgb(kProgramSecond),
            false);
        row("program, icon 2: background only", "prog.exe", 2, 32, none, false);
        row("program, PNG image in the group", "png.dll", 0, 32, rgb(kPngInGroup), true);
        row("icon file, size 16 takes the small icon", "two.ico", 0, 16, rgb(kIcoSmall), true);
        row("icon file, size 17 takes the large one stretched", "two.ico", 0, 17, rgb(kIcoLarge),
            true);
        row("icon file, size 48", "two.ico", 0, 48, rgb(kIcoLarge), true);
        row("icon file, icon 1", "two.ico", 1, 32, none, false);
        row("PNG file", "image.png", 0, 32, rgb(kPngFile), true);
        row("PNG file, icon 1", "image.png", 1, 32, none, false);
        row("SVG file", "image.svg", 0, 32, rgb(kSvgFile), false);
        row("XPM file", "image.xpm", 0, 16, rgb(kXpmFile), false);
        row("ELF program: its desktop entry's theme icon", "tool", 0, 32, rgb(kThemeIcon), true);
        row("script: its desktop entry's image file", "tool.sh", 0, 32, rgb(kPngFile), true);
        row("ELF program, icon 1", "tool", 1, 32, none, false);
        row("ELF program without a desktop entry", "lonely", 0, 32, none, false);
        row("text file", "notes.txt", 0, 32, none, false);
        row("missing file", "missing.exe", 0, 32, none, false);
    }
    void getIconDrawsTheChosenIconOnTheBackground() {
        QFETCH(QString, file);
        QFETCH(int, index);
        QFETCH(int, size);
        QFETCH(QColor, colour);
        QFETCH(bool, hole);

        TVGetAppIcon icons;
        icons.SetBackColor(kBackground);
        icons.SetIconSize(size);
        icons.SetFileName((files_ / file.toStdString()).string());
        QVERIFY(icons.GetIcon(index));

        const QImage bitmap = icons.Bitmap.toImage();
        QCOMPARE(bitmap.size(), QSize(size, size));
        QCOMPARE(bitmap.pixelColor(0, size - 1), QApplication::palette().color(QPalette::Button));
        QCOMPARE(bitmap.pixelColor(size / 2, size / 2), colour.isValid() ? colour : kBackground);
        QCOMPARE(icons.Icon.isNull(), !colour.isValid());
        if (!icons.Icon.isNull()) {
            const int side = size <= 16 ? 16 : 32;
            QCOMPARE(icons.Icon.size(), QSize(side, side));
        }
        if (hole) QCOMPARE(bitmap.pixelColor(0, 0), kBackground);
    }

    void eachCallReplacesTheLastResult() {
        TVGetAppIcon icons;
        icons.SetBackColor(kBackground);
        icons.SetFileName((files_ / "prog.exe").string());
        icons.GetIcon(0);
        QCOMPARE(icons.Bitmap.toImage().pixelColor(16, 16), QColor::fromRgba(kProgramLarge));
        icons.GetIcon(5);
        QCOMPARE(icons.Bitmap.toImage().pixelColor(16, 16), kBackground);
        QVERIFY(icons.Icon.isNull());
    }

    void noIconIsAThirtyTwoPixelPicture() {
        const QImage picture = TVGetAppIcon::NoIcon().toImage();
        QCOMPARE(picture.size(), QSize(32, 32));
        // Something is drawn on it: the sheet and the red sign.
        QVERIFY(picture.pixelColor(8, 6) == Qt::white);
        const QColor sign = picture.pixelColor(21, 21);
        QVERIFY2(sign.red() > 150 && sign.green() < 100, qPrintable(sign.name()));
    }
};

}  // namespace
}  // namespace kestrin

QTEST_MAIN(kestrin::QtVGetAppIconTest)
#include "QtVGetAppIconTest.moc"
