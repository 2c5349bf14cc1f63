#include "tavrel/platform/gif_writer.h"

#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QGuiApplication>
#include <QPainter>
#include <QSet>
#include <memory>

#include "core/base/safe_file.h"
#include "tavrel/platform/desktop_mail.h"
#include "tavrel/platform/image_file.h"
#include "tests/support/temp_folder.h"

namespace tavrel {
namespace {

struct Decoded {
    int width = 0;
    int height = 0;
    int mapSize = 0;
    std::string version;
    QSet<QRgb> colours;  // the colours the pixels use
};

// Reads a GIF file back through giflib.
std::optional<Decoded> decode(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif) return std::nullopt;
    std::unique_ptr<GifFileType, void (*)(GifFileType*)> closer(gif, [](GifFileType* g) {
        int e = 0;
        DGifCloseFile(g, &e);
    });
    if (DGifSlurp(gif) != GIF_OK || gif->ImageCount != 1 || !gif->SColorMap) return std::nullopt;
    Decoded d;
    d.width = gif->SWidth;
    d.height = gif->SHeight;
    d.mapSize = gif->SColorMap->ColorCount;
    d.version = core::readFile(path).value_or("").substr(0, 6);
    const SavedImage& image = gif->SavedImages[0];
    const int n = image.ImageDesc.Width * image.ImageDesc.Height;
    for (int i = 0; i < n; ++i) {
        const GifColorType& c = gif->SColorMap->Colors[image.RasterBits[i]];
        d.colours.insert(qRgb(c.Red, c.Green, c.Blue));
    }
    return d;
}

QImage board(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(qRgb(240, 200, 120));
    QPainter p(&image);
    p.setPen(qRgb(0, 0, 0));
    for (int i = 0; i < 10; ++i) p.drawLine(10 + i * 20, 10, 10 + i * 20, 190);
    p.fillRect(30, 30, 15, 15, qRgb(200, 0, 0));
    return image;
}

class GifTest : public ::testing::Test {
protected:
    std::string save(const QImage& image, const char* name) {
        std::string path = folder.file(name);
        EXPECT_TRUE(saveImageFile(image, path));
        return path;
    }
    testsupport::TempFolder folder;
};

TEST_F(GifTest, BoardOfFewColoursKeepsThemExactly) {
    std::optional<Decoded> d = decode(save(board(250, 252), "b.gif"));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->version, "GIF89a");
    EXPECT_EQ(d->width, 250);
    EXPECT_EQ(d->height, 252);
    EXPECT_EQ(d->mapSize, 4);  // three colours in a map of four
    EXPECT_EQ(d->colours, (QSet<QRgb>{qRgb(240, 200, 120), qRgb(0, 0, 0), qRgb(200, 0, 0)}));
}

TEST_F(GifTest, TwoLevelPictureAndManyColoursAreQuantised) {
    QImage mono = board(64, 32).convertToFormat(QImage::Format_Mono);
    std::optional<Decoded> two = decode(save(mono, "m.gif"));
    ASSERT_TRUE(two);
    EXPECT_EQ(two->mapSize, 2);

    QImage gradient(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x) gradient.setPixel(x, y, qRgb(x % 256, y, (x + y) % 256));
    }
    std::optional<Decoded> q = decode(save(gradient, "g.gif"));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->mapSize, 256);
    EXPECT_LE(q->colours.size(), 256);
    EXPECT_GT(q->colours.size(), 16);
}

TEST_F(GifTest, ANewFileGetsTheUsualPermissions) {
    const mode_t mask = ::umask(022);
    std::string path = save(board(20, 20), "p.gif");
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
}

TEST_F(GifTest, OtherFormatsByExtensionAndFailuresLeaveNothing) {
    const QImage image = board(40, 30);
    for (const char* name : {"a.jpg", "a.JPEG", "a.bmp", "a.png"}) {
        std::string path = save(image, name);
        QImage back(QString::fromStdString(path));
        EXPECT_EQ(back.size(), image.size()) << name;
    }
    EXPECT_FALSE(saveImageFile(image, folder.file("a.tif")));
    EXPECT_FALSE(saveImageFile(QImage(), folder.file("e.png")));
    EXPECT_FALSE(saveImageFile(image, folder.file("missing/a.gif")));
    // A failed save keeps the file it would have replaced.
    ASSERT_EQ(core::writeFileAtomically(folder.file("keep.gif"), "old"), core::WriteResult::Ok);
    EXPECT_FALSE(saveImageFile(QImage(), folder.file("keep.gif")));
    EXPECT_EQ(core::readFile(folder.file("keep.gif")), "old");
    EXPECT_FALSE(encodeGif(QImage()));
}

TEST(DesktopMail, XdgEmailGetsTheMailToReview) {
    MailMessage mail{"a@example.org", "subject", "body\r\ntext", "/r/game.kif"};
    EXPECT_EQ(xdgEmailArguments(mail),
              (QStringList{"--utf8", "--subject", "subject", "--body", "body\r\ntext", "--attach",
                           "/r/game.kif", "a@example.org"}));
    mail.recipient.clear();
    mail.body.clear();
    EXPECT_EQ(xdgEmailArguments(mail),
              (QStringList{"--utf8", "--subject", "subject", "--attach", "/r/game.kif"}));
}

}  // namespace
}  // namespace tavrel
