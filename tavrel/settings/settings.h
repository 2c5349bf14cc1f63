// The viewer's settings record: every value of the environment file with its default, plus the
// FTP destinations kept beside it. Created once by the application at start-up, filled by
// loadEnvironment, handed by reference to the code that needs a value, written back at exit.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/record/record_store.h"
#include "core/templates/text_output_options.h"
#include "tavrel/settings/ftp_settings.h"

namespace tavrel {

// Byte capacities of the text settings (the fixed buffers of the file's writers and readers,
// without the terminating byte). Longer values read from a file are cut on a character boundary.
inline constexpr std::size_t kSettingTextBytes = 255;
inline constexpr std::size_t kUserInfoNameBytes = 100;
inline constexpr std::size_t kFontFaceBytes = 31;

inline constexpr int kToolCount = 5;
inline constexpr int kUserInfoCount = 5;
inline constexpr int kInfoFormatCount = 3;

// ---- Settings whose values are codes ----
// Each enum holds whatever number the environment file gave: a value no enumerator names is kept
// and written back as it was read, and the code acting on the setting decides what it means.
// (棋譜追加モード is core::AddMode, 英語棋譜形式 core::EnglishNumbering.)

// 分岐ウィンドウ: when the branch window shows.
enum class BranchWindowMode : int { Never = 0, Always = 1, WhenBranches = 2 };

// コメントウィンドウ (and コメント表示): where the comment of the move shown appears.
enum class CommentDisplay : int {
    None = 0,
    MainWindow = 1,
    Window = 2,         // in the comment window
    WindowWhenAny = 3,  // in the comment window, shown only when the move has a comment
};

// 棋譜ウィンドウ's display form: thinking times, or branch marks and bookmark names.
enum class RecordListForm : int { Times = 0, Branches = 1 };

// 盤の種類, 駒台の種類: one of the two wood pictures, or the plain colour (any other value).
enum class WoodChoice : int { Grain1 = 0, Grain2 = 1, Plain = 2 };

// 最終駒表示: how the piece that moved last stands out.
enum class LastPieceEmphasis : int {
    None = 0,          // 強調表示しない
    Overpaint = 1,     // 重ね塗り (not in the menu)
    PieceColour = 2,   // 駒の色を変える
    SquareColour = 3,  // 枡目の色を変える
};

// 指し手表記: moves written with their origin square or in the traditional form, with △ or ▽ as
// the second player's mark.
enum class MoveTextStyle : int {
    OriginUp = 0,
    OriginDown = 1,
    TraditionalUp = 2,
    TraditionalDown = 3
};
constexpr bool isTraditional(MoveTextStyle style) { return style >= MoveTextStyle::TraditionalUp; }
constexpr bool usesDownMark(MoveTextStyle style) {
    return style == MoveTextStyle::OriginDown || style == MoveTextStyle::TraditionalDown;
}

// 駒音種類.
enum class PieceSoundKind : int {
    None = 0,      // "なし"
    Beep = 1,      // "ﾋﾞｰﾌﾟ"
    BuiltIn1 = 2,  // "駒音1"
    BuiltIn2 = 3,  // "駒音2"
    UserWave = 4,  // "外部WAVE"
};

// 棋譜読込局面: the position shown after a record is read.
enum class PositionAfterLoad : int {
    Start = 0,
    End = 1,
    EndIfSuspended = 2,  // the end when the record ends with 中断, else the start
    LoadBookmark = 3,    // the bookmark "読み込み時表示"
    FirstBookmark = 4,
};

// コメント停止, 分岐停止: what continuous replay does at a comment or a branch.
enum class ReplayStop : int { Never = 0, Pause = 1, Wait = 2 };

// KI2形式: the KI2 notation written.
enum class Ki2Style : int { Classic = 0, Numbered = 1, TraditionalUp = 2, TraditionalDown = 3 };

// 標準棋譜: the format a record is saved in by default.
enum class StandardFormat : int { Kif = 0, Ki2 = 1 };

// メール保存: what writing a mail file does.
enum class MailSaveMode : int { Overwrite = 0, Append = 1, AppendToOne = 2 };

// Red, green, blue, 0..255 each.
struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A font as the file keeps it. A negative height is a character height in logical units.
struct FontSetting {
    std::string face;  // CP932, at most kFontFaceBytes
    int height = 0;
    bool bold = false;
    bool italic = false;
    friend bool operator==(const FontSetting&, const FontSetting&) = default;
};

struct WindowRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;  // below 50 means "not set" for the main window
    friend bool operator==(const WindowRect&, const WindowRect&) = default;
};

// The record window line: shown flag, rectangle and display form.
struct RecordWindowSetting {
    int shown = 0;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    RecordListForm form = RecordListForm::Times;
    friend bool operator==(const RecordWindowSetting&, const RecordWindowSetting&) = default;
};

// A secondary window with a display mode: the branch window (BranchWindowMode) and the comment
// window (CommentDisplay).
template <typename Mode>
struct PanelSetting {
    Mode mode{};
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const PanelSetting&, const PanelSetting&) = default;
};

struct WindowPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const WindowPoint&, const WindowPoint&) = default;
};

struct CropRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const CropRect&, const CropRect&) = default;
};

// Where the private characters are used (0/1 each).
struct PrivateCharUse {
    int screen = 0;
    int file = 0;
    int clipboard = 0;
    int print = 0;
    friend bool operator==(const PrivateCharUse&, const PrivateCharUse&) = default;
};

// One entry of the tool menu; the arguments are a template (text throughout).
struct ToolEntry {
    std::string menu;
    std::string command;
    std::string arguments;
    friend bool operator==(const ToolEntry&, const ToolEntry&) = default;
};

// Every text member is CP932. The comment after a member is its key in the environment file.
struct Settings {
    Settings();

    // Paths
    std::string recordFolder;  // 棋譜パス: empty or ending with '/'
    std::string mailFolder;    // 通信パス: empty or ending with '/'

    // Display
    WindowRect mainWindow{5, 20, 630, 448};  // ウィンドウ
    // 棋譜ウィンドウ
    RecordWindowSetting recordWindow{1, 10, 250, 115, 180, RecordListForm::Times};
    int showBookmarkNames = 1;  // しおり名表示
    // 分岐ウィンドウ
    PanelSetting<BranchWindowMode> branchWindow{BranchWindowMode::WhenBranches, 10, 350, 110, 130};
    // コメントウィンドウ
    PanelSetting<CommentDisplay> commentWindow{CommentDisplay::WindowWhenAny, 10, 540, 400, 100};
    WindowPoint replayDialog{10, 10};                                      // 再現ウィンドウ
    int pieceSet = 3;                                                      // 駒の種類
    int externalPieces = 0;                                                // 外部駒
    std::string pieceBitmap;                                               // 駒BMP
    WoodChoice boardType = WoodChoice::Grain1;                             // 盤の種類
    WoodChoice standType = WoodChoice::Grain2;                             // 駒台の種類
    int ownPalette = 1;                                                    // 256色
    Rgb boardColour{237, 170, 86};                                         // 盤面色
    Rgb pieceBoxColour{188, 126, 79};                                      // 駒箱色
    Rgb backgroundColour{128, 128, 128};                                   // 背景色
    Rgb lastPieceColour{255, 255, 255};                                    // 最終駒の色
    Rgb currentMoveColour{255, 255, 0};                                    // 最終手の色
    Rgb variationColour{224, 224, 224};                                    // 棋譜変化の色
    LastPieceEmphasis lastPieceEmphasis = LastPieceEmphasis::PieceColour;  // 最終駒表示
    MoveTextStyle moveTextStyle = MoveTextStyle::TraditionalUp;            // 指し手表記
    FontSetting coordinateFont;                                            // 段筋フォント
    FontSetting informationFont;                                           // 情報フォント
    FontSetting commentFont;                                       // コメントフォント
    FontSetting statusFont;                                        // ステータスフォント
    FontSetting recordFont;                                        // 棋譜フォント
    std::array<int, 4> toolbar{1, 0, 0, 0};                        // ツールバー
    int showStatusBar = 1;                                         // メッセージ表示
    int emphasiseSideToMove = 1;                                   // 手番強調表示
    std::array<std::string, kInfoFormatCount> infoFormats;         // 情報表示書式1..3
    std::array<std::string, kInfoFormatCount> problemInfoFormats;  // 情報表示書式詰1..3

    // Sound
    int warningSound = 1;                                  // 警告音
    PieceSoundKind pieceSound = PieceSoundKind::BuiltIn1;  // 駒音種類
    std::string userWave;                                  // ユーザWAVE

    // Behaviour
    int offerReplayAfterLoad = 0;                                             // 棋譜読込選択
    PositionAfterLoad positionAfterLoad = PositionAfterLoad::EndIfSuspended;  // 棋譜読込局面
    int checkRules = 1;                                                       // ルール確認
    int replaySpeed = 5;                            // 再現速度 (tenths of a second)
    int animationSpeed = 1;                         // アニメ速度
    ReplayStop stopAtComments = ReplayStop::Wait;   // コメント停止
    int commentWaitMs = 1000;                       // コメント待ち時間
    ReplayStop stopAtBranches = ReplayStop::Pause;  // 分岐停止
    int branchWaitMs = 1000;                        // 分岐待ち時間
    int detectRepetitionInReplay = 1;               // 再現時の千日手検出
    int confirmSave = 1;                            // 棋譜保存確認
    int autoSaveResume = 1;                         // 棋譜自動保存
    std::string saveNameTemplate;                   // 棋譜保存初期名
    int oldReplay = 0;                              // 旧再現
    std::string databaseProgram;                    // 棋譜データベース
    std::string problemDatabaseProgram;             // 詰将棋データベース
    std::array<ToolEntry, kToolCount> tools;  // ツールメニューn, ツールコマンドn, ツール引数n
    int historyCount = 20;                    // 情報履歴数 (0..20 in use)
    int playerHistory = 1;                    // 対局者履歴
    int eventHistory = 1;                     // 棋戦履歴
    int openingHistory = 1;                   // 戦型履歴
    int timeLimitHistory = 1;                 // 持ち時間履歴
    int placeHistory = 1;                     // 場所履歴
    int publicationHistory = 1;               // 掲載履歴
    int userHistory = 1;                      // ユーザ履歴

    // Printing
    std::string printPositionFormat;      // 印刷盤面書式
    std::string printRecordFormat;        // 印刷棋譜書式
    FontSetting printFont;                // 印刷フォント
    int printColumns = 6;                 // 印刷棋譜カラム
    int printLeftMargin = 10;             // 印刷左端余白 (mm)
    int printTopMargin = 10;              // 印刷上端余白 (mm)
    int printLineSpacing = 0;             // 印刷行間隔 (tenths of a mm)
    int printComments = 1;                // 棋譜コメント印刷
    int printNamesVertical = 1;           // 印刷対局者名縦
    int printBlackNameChars = 3;          // 印刷先手名字数
    int printWhiteNameChars = 3;          // 印刷後手名字数
    int printUnicode = 1;                 // 印刷UNICODE
    int previewTwoColour = 1;             // ビットマップ２値
    int cropImages = 1;                   // トリミングあり
    CropRect cropRect{66, 77, 316, 329};  // トリミング領域
    std::string imageNameFormat;          // 画像ファイル名書式
    FontSetting printHandFont;            // 印刷持駒フォント

    // Record
    int recordCapacity = 5000;                               // 棋譜最大サイズ (at least 1)
    core::AddMode addVariationMode = core::AddMode::Branch;  // 棋譜追加モード
    int dragonNotation = 0;                                  // 棋譜竜表記
    int markFinalDrop = 0;                                   // 棋譜最終手の打
    int zeroTimeOnEntry = 0;                                 // 消費時間０
    int duplicateBookmarks = 0;                              // しおり名重複許容
    int ki2Columns = 6;                                      // KI2カラム
    Ki2Style ki2Style = Ki2Style::TraditionalUp;             // KI2形式
    int ki2HalfWidth = 0;                                    // KI2半角形式
    int ki2HalfWidthColumns = 8;                             // KI2半角カラム
    int kifOmitZeroTime = 0;                                 // KIF時間省略
    int commentAutoWrap = 0;                                 // コメント自動改行
    int commentWrapColumn = 80;                              // コメント改行桁
    std::array<int, 4> recordTree{10, 0, 10, 8};             // 棋譜ツリー
    StandardFormat standardFormat = StandardFormat::Kif;     // 標準棋譜
    int backup = 0;                                          // バックアップ
    std::array<std::string, kUserInfoCount> userInfoNames;   // ユーザ定義情報１..５
    int autoThinkingTime = 0;                                // 消費時間自動設定
    int autoEndDate = 1;                                     // 終了日時自動設定
    std::string diagramFormat;                               // 盤面書式
    std::string englishDiagramFormat;                        // 英語盤面書式
    core::EnglishNumbering englishNumbering = core::EnglishNumbering::Chess;  // 英語棋譜形式
    int englishColumns = 8;                                                   // 英語カラム

    // Private characters
    PrivateCharUse privateCharUse;  // 外字使用
    int privateCharFirst = 0xF0BE;  // 外字先頭 (Shift-JIS code)
    int privateBlackMark = 1;       // 先手外字

    // Mail
    std::string mailForm1;                            // メール書式１
    std::string mailForm2;                            // メール書式２
    MailSaveMode mailSave = MailSaveMode::Overwrite;  // メール保存
    std::string mailAppendName;                       // メール追加名
    std::string internetMailTo;                       // Iメール宛先
    std::string internetMailSubject;                  // Iメール件名
    std::string internetMailBody;                     // Iメール本文
    int internetMailAuto = 0;                         // Iメール自動作成

    // The single FTP destination of older files: read, kept and written back, and moved into
    // `ftp` as "設定1" when no FTP settings file exists. The password is only read (ftpパス).
    std::string ftpServer;          // ftpサーバ
    std::string ftpUser;            // ftpユーザ
    std::string ftpFolder;          // ftpフォルダ
    std::string legacyFtpPassword;  // ftpパス, unscrambled

    // The destinations of the FTP settings file beside the environment file.
    FtpSettings ftp;

    friend bool operator==(const Settings&, const Settings&) = default;
};

}  // namespace tavrel
