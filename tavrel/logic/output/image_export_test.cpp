#include "tavrel/logic/output/image_export.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/text/sjis.h"
#include "tavrel/logic/output/export_test_fixture.h"

namespace tavrel {
namespace {

TEST(ImageFilters, PreselectionFollowsTheProposedExtension) {
    struct Case {
        const char* name;
        std::optional<ImageFormat> remembered;
        ImageFormat expected;
    };
    const Case cases[] = {
        {"a/b.gif", ImageFormat::Png, ImageFormat::Gif},
        {"a/b.JPG", std::nullopt, ImageFormat::Jpeg},
        {"a/b.bmp", std::nullopt, ImageFormat::Bmp},
        {"a/b.Png", std::nullopt, ImageFormat::Png},
        {"a/b.jpeg", ImageFormat::Png, ImageFormat::Gif},  // any other extension: GIF
        {"a.d/b", ImageFormat::Bmp, ImageFormat::Bmp},     // none: the remembered filter
        {"a/b", std::nullopt, ImageFormat::Gif},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(preselectedImageFilter(c.name, c.remembered), c.expected) << c.name;
    }
}

TEST(ImageFilters, TheChosenFiltersExtensionIsAppendedUnlessPresent) {
    EXPECT_EQ(withImageExtension("x.jpeg", ImageFormat::Jpeg), "x.jpeg.jpg");
    EXPECT_EQ(withImageExtension("x.JPG", ImageFormat::Jpeg), "x.JPG");
    EXPECT_EQ(withImageExtension("x.gif", ImageFormat::Png), "x.gif.png");
    EXPECT_EQ(withImageExtension("x", ImageFormat::Bmp), "x.bmp");
    ASSERT_EQ(imageFilterTexts().size(), 4u);
    EXPECT_EQ(imageFilterTexts()[0], std::string("GIF形式(*.gif)"));
}

TEST(ImageCaptureArea, PreviewLeavesOutTheBandAndTrims) {
    Settings s;
    ImageCapture whole = imageCapture(ViewerMode::Viewing, s, 640, 480);
    EXPECT_EQ(whole.left, 0);
    EXPECT_EQ(whole.top, 0);
    EXPECT_EQ(whole.width, 640);
    EXPECT_EQ(whole.height, 480);
    EXPECT_FALSE(whole.twoLevel);

    ImageCapture trimmed = imageCapture(ViewerMode::PrintPreview, s, 640, 480);
    EXPECT_EQ(trimmed.left, 66);
    EXPECT_EQ(trimmed.top, 77);
    EXPECT_EQ(trimmed.width, 250);
    EXPECT_EQ(trimmed.height, 252);
    EXPECT_TRUE(trimmed.twoLevel);

    s.cropImages = 0;
    s.previewTwoColour = 0;
    ImageCapture page = imageCapture(ViewerMode::PrintPreview, s, 640, 480);
    EXPECT_EQ(page.top, kPreviewBand);
    EXPECT_EQ(page.height, 460);
    EXPECT_FALSE(page.twoLevel);

    // A trimming area beyond a small window is cut to it, never negative.
    s.cropImages = 1;
    ImageCapture small = imageCapture(ViewerMode::PrintPreview, s, 50, 10);
    EXPECT_EQ(small.width, 0);
    EXPECT_EQ(small.height, 0);
}

class ImageDialogTest : public testsupport::ExportFixture {};

TEST_F(ImageDialogTest, NeverSavedRecordProposesDocumentsAndTheMoveNumber) {
    doc.setNewRecordNames();
    desktop.folders.documents = "/home/u/Documents";
    std::optional<ImageFormat> remembered;
    EXPECT_FALSE(chooseImagePath(doc, desktop.folders, remembered));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_EQ(ui.dialogs[0].title, std::string("画像の保存"));
    EXPECT_EQ(ui.dialogs[0].folder, "/home/u/Documents/");
    EXPECT_EQ(ui.dialogs[0].name, "0手.gif");
    EXPECT_EQ(ui.dialogs[0].selected, 0);
}

TEST_F(ImageDialogTest, ChosenFilterIsRememberedAndAnExistingFileNeedsYes) {
    load("game.kif");
    std::optional<ImageFormat> remembered;
    ui.choices.push_back(FileChoice{path("pic.jpeg"), 1});
    EXPECT_EQ(chooseImagePath(doc, {}, remembered), path("pic.jpeg.jpg"));
    EXPECT_EQ(remembered, ImageFormat::Jpeg);

    write("pic.png", "old");
    ui.choices.push_back(FileChoice{path("pic.png"), 3});
    ui.answers.push_back(Answer::No);
    EXPECT_FALSE(chooseImagePath(doc, {}, remembered));
    ui.choices.push_back(FileChoice{path("pic.png"), 3});
    ui.answers.push_back(Answer::Yes);
    EXPECT_EQ(chooseImagePath(doc, {}, remembered), path("pic.png"));
}

TEST_F(ImageDialogTest, MessagesOfSuccessAndFailure) {
    reportImageSaved(ui, "/t/a.gif", true);
    EXPECT_EQ(ui.status, std::string("画像ファイル(/t/a.gif)を出力しました。"));
    reportImageSaved(ui, "/t/a.gif", false);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].first, std::string("画像ファイル(/t/a.gif)の保存に失敗しました。"));
}

}  // namespace
}  // namespace tavrel
