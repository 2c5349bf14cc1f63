#include "tavrel/logic/view/command_table.h"

#include <cassert>

#include "core/text/translation.h"
#include "tavrel/logic/document/file_rules.h"
#include "tavrel/logic/tools/external_programs.h"
#include "tavrel/logic/view/menu_state.h"

namespace tavrel {

namespace {

using Keys = std::vector<std::string>;

std::vector<CommandEntry> buildTable() {
    std::vector<CommandEntry> t;
    t.reserve(kCommandCount);
    auto add = [&t](Command c, std::string text, Keys keys = {}) {
        assert(static_cast<int>(t.size()) == static_cast<int>(c));
        t.push_back({c, std::move(text), std::move(keys)});
    };
    add(Command::Open, TR_NOOP("開く(&O)..."), {"Ctrl+O"});
    add(Command::NextFile, TR_NOOP("次のファイルを開く(&D)"), {"PgDown"});
    add(Command::PreviousFile, TR_NOOP("前のファイルを開く(&U)"), {"PgUp"});
    add(Command::Save, TR_NOOP("上書き保存(&S)"), {"Ctrl+S"});
    add(Command::SaveAs, TR_NOOP("名前を付けて保存(&A)..."), {"Alt+S"});
    add(Command::FtpUpload, TR_NOOP("上書き保存し、FTP転送(&F)"), {"Ctrl+Shift+S"});
    add(Command::SaveImage, TR_NOOP("画像の保存(&G)..."));
    add(Command::MailLink, TR_NOOP("インターネットメールの送信(&I)..."), {"Ctrl+Shift+M"});
    add(Command::MailAttach, TR_NOOP("棋譜ファイルをメールで送信(&T)..."));
    add(Command::MailMal, TR_NOOP("メール(MAL)作成(&L)"));
    add(Command::MailMa2, TR_NOOP("メール(MA2)作成(&B)"));
    add(Command::MailDialog, TR_NOOP("メール作成(&M)..."));
    add(Command::PrintPosition, TR_NOOP("局面の印刷(&P)..."), {"Ctrl+P"});
    add(Command::PrintRecord, TR_NOOP("棋譜の印刷(&K)..."));
    add(Command::PrintForm, TR_NOOP("棋譜用紙印刷(&Y)..."));
    add(Command::PreviewPosition, TR_NOOP("局面(&P)"), {"Ctrl+U"});
    add(Command::PreviewRecord, TR_NOOP("棋譜(&K)"));
    add(Command::PreviewForm, TR_NOOP("棋譜用紙(&Y)"));
    add(Command::Exit, TR_NOOP("終了(&X)"));

    add(Command::CopyKif, TR_NOOP("時間付き（KI&F形式）"));
    add(Command::CopyKi2, TR_NOOP("時間無し（KI&2形式）"));
    add(Command::CopyKifLine, TR_NOOP("現在の変化だけ(KIF形式)(&H)"));
    add(Command::CopyKi2Line, TR_NOOP("現在の変化だけ(KI2形式)(&I)"));
    add(Command::CopyEnglishRecord, TR_NOOP("英語表記(&E)"));
    add(Command::CopyDharma, TR_NOOP("dharma/Win用(&D)"));
    add(Command::CopyPosition, TR_NOOP("通常(&U)"));
    add(Command::CopyPositionHtml, TR_NOOP("等幅タグ付き(&T)"));
    add(Command::CopyEnglishPosition, TR_NOOP("英語表記(&E)"));
    add(Command::CopyMail1, TR_NOOP("メールのコピー(&1)"));
    add(Command::CopyMail2, TR_NOOP("メールのコピー(&2)"));
    add(Command::CopyBitmap, TR_NOOP("ビットマップのコピー(&B)"));
    add(Command::Paste, TR_NOOP("棋譜・局面の貼り付け(&P)"), {"Ctrl+V", "Shift+Ins"});
    add(Command::MergeRecord, TR_NOOP("棋譜の合成(&A)"));
    add(Command::CopyVariations, TR_NOOP("棋譜の変化図コピー(&Z)..."));
    add(Command::RecordInfo, TR_NOOP("棋譜情報(&I)..."), {"Ctrl+I"});
    add(Command::ProblemInfo, TR_NOOP("詰将棋情報(&M)..."), {"Ctrl+F5"});
    add(Command::EditComment, TR_NOOP("コメントの編集(&*)..."), {"Ctrl+D"});
    add(Command::DeleteComments, TR_NOOP("コメントの一括削除(&C)..."));
    add(Command::EditTime, TR_NOOP("消費時間の編集(&L)..."), {"Ctrl+Shift+T"});
    add(Command::ZeroTimes, TR_NOOP("全指し手の消費時間を０に(&0)"));
    add(Command::TruncateAfter, TR_NOOP("現局面以降の棋譜を削除(&G)"));
    add(Command::CreateBranch, TR_NOOP("棋譜の分岐を作成する(&F)"));
    add(Command::AddBookmark, TR_NOOP("しおり登録(&R)..."));
    add(Command::GoToBookmark, TR_NOOP("しおりへ移動(&J)..."));
    add(Command::EditBookmarks, TR_NOOP("しおりの編集(&H)..."));
    int list = 0;
    for (const char* text :
         {TR_NOOP("対局者(&P)"), TR_NOOP("棋戦(&K)"), TR_NOOP("戦型(&S)"), TR_NOOP("表題(&H)"),
          TR_NOOP("持ち時間(&M)"), TR_NOOP("場所(&B)"), TR_NOOP("掲載(&R)"),
          TR_NOOP("ユーザ定義(&1)"), TR_NOOP("ユーザ定義(&2)"), TR_NOOP("ユーザ定義(&3)"),
          TR_NOOP("ユーザ定義(&4)"), TR_NOOP("ユーザ定義(&5)")}) {
        add(commandAt(Command::EditList0, list++), text);
    }

    add(Command::NewGame, TR_NOOP("新規対局(&N)..."), {"Ctrl+N"});
    add(Command::ContinuePlay, TR_NOOP("継続対局(&C)"), {"Ctrl+Y"});
    add(Command::ResumeGame, TR_NOOP("中断局面から再開(&S)"), {"Ctrl+A"});
    add(Command::PlayerNames, TR_NOOP("対局者名変更(&P)..."), {"Alt+A", "Alt+["});
    add(Command::OldReplay, TR_NOOP("棋譜の再現(&K)"), {"Ctrl+K"});
    add(Command::Resign, TR_NOOP("投了(&G)"), {"Ctrl+G"});
    add(Command::Suspend, TR_NOOP("中断(&Q)"), {"Ctrl+Q"});
    add(Command::EndInput, TR_NOOP("入力終了(&E)"), {"Ctrl+M"});
    add(Command::TakeBack, TR_NOOP("入力の取り消し(&R)"), {"Ctrl+R"});
    add(Command::Impasse, TR_NOOP("持将棋(&J)"));
    add(Command::TimeLoss, TR_NOOP("時間切れで負け(&I)"));
    add(Command::FoulLoss, TR_NOOP("反則負け(&B)"));
    add(Command::FoulWin, TR_NOOP("反則勝ち(&H)"));
    // "&I" is 時間切れで負け's; a letter shared by two entries chooses neither.
    add(Command::Repetition, TR_NOOP("千日手(&D)"));
    add(Command::Mate, TR_NOOP("詰み(&T)"));
    add(Command::NoMate, TR_NOOP("不詰(&F)"));
    add(Command::SuspendMail, TR_NOOP("中断し、メールを出力(&W)"), {"Ctrl+W"});

    add(Command::Editing, TR_NOOP("局面編集の開始(&E)"), {"Ctrl+E"});
    add(Command::EvenSetup, TR_NOOP("平手初期配置(&H)"));
    add(Command::MateSetup, TR_NOOP("詰将棋用配置(&M)"));
    add(Command::AllToBox, TR_NOOP("全ての駒を駒箱へ(&K)"));
    add(Command::BoxToWhite, TR_NOOP("駒箱の駒を後手の持駒に(&G)"));
    add(Command::Flip, TR_NOOP("先後反転(&I)"));
    add(Command::ChangeSide, TR_NOOP("手番変更(&T)"));

    add(Command::Settings, TR_NOOP("各種設定(&S)..."), {"F2"});
    add(Command::Dalmir, TR_NOOP("棋譜データベースを起動(&K)"), {"F8"});
    add(Command::DalmirSearch, TR_NOOP("棋譜データベースで局面検索(&F)"), {"F9"});
    add(Command::DalmirRegister, TR_NOOP("棋譜データベースに登録(&R)"), {"F10"});
    add(Command::Pellam, TR_NOOP("詰将棋データベースを起動(&T)"), {"F11"});
    add(Command::ToolSettings, TR_NOOP("ツールメニュー設定(&M)..."));
    for (int i = 0; i < kToolCount; ++i) {
        // The text is the tool's own (toolMenuLabel); this one stands for it in the table.
        add(commandAt(Command::Tool1, i), TR_NOOP("ツールメニュー") + std::to_string(i + 1),
            {"Ctrl+" + std::to_string(i + 1)});
    }

    add(Command::AnalysisView, TR_NOOP("検討(&A)"));
    add(Command::GraphView, TR_NOOP("評価値グラフ(&G)"));
    add(Command::AnalyseRecord, TR_NOOP("棋譜解析(&R)..."));
    add(Command::WriteStoredAnalysis, TR_NOOP("データベースの解析結果をコメントに書き込む(&W)"));
    add(Command::EngineSettings, TR_NOOP("エンジン設定(&S)..."));
    add(Command::EngineLog, TR_NOOP("エンジンの通信(&L)..."));

    add(Command::ToStart, TR_NOOP("開始局面へ(&T)"), {"Home", "Ctrl+Left", "Shift+A"});
    add(Command::ReplayBack, TR_NOOP("連続して戻す(&P)"), {"Shift+Left", "A"});
    add(Command::StepBack, TR_NOOP("１手戻す(&B)"), {"Left", "Ctrl+B", "S"});
    add(Command::ReplayStop, TR_NOOP("再現停止(&S)"), {"Space"});
    add(Command::StepForward, TR_NOOP("１手進める(&F)"), {"Right", "Ctrl+F", "D"});
    add(Command::ReplayForward, TR_NOOP("連続して進める(&N)"), {"Shift+Right", "F"});
    add(Command::ToEnd, TR_NOOP("最終局面へ(&E)"), {"End", "Shift+F"});
    add(Command::PreviousBranch, TR_NOOP("前の分岐まで戻す(&M)"), {"Ctrl+Shift+Left"});
    add(Command::NextBranch, TR_NOOP("次の分岐まで進める(&A)"), {"Ctrl+Shift+Right"});
    add(Command::JumpToPly, TR_NOOP("指定手数へ(&J)..."));
    add(Command::Turn, TR_NOOP("盤面の回転(&T)"), {"Ctrl+T"});
    add(Command::EmphasiseSide, TR_NOOP("手番強調(&E)"));
    add(Command::LastPieceNone, TR_NOOP("強調表示しない(&N)"));
    add(Command::LastPieceColour, TR_NOOP("駒の色を変える(&P)"));
    add(Command::LastSquareColour, TR_NOOP("枡目の色を変える(&M)"));
    add(Command::MainToolbar, TR_NOOP("メインツールバー(&M)"));
    add(Command::ReplayToolbar, TR_NOOP("再現ツールバー(&R)"));
    add(Command::StatusBar, TR_NOOP("ステータスバー(&S)"));
    add(Command::BoardColour, TR_NOOP("盤面色(&B)..."));
    add(Command::StandColour, TR_NOOP("駒台色(&P)..."));
    add(Command::LastPieceColourDialog, TR_NOOP("最終駒・枡目の色(&L)..."));
    add(Command::CurrentMoveColour, TR_NOOP("棋譜最終手の色(&K)..."));
    add(Command::VariationColour, TR_NOOP("棋譜変化の色(&E)..."));
    add(Command::BackgroundColour, TR_NOOP("背景色(&H)..."));
    add(Command::InformationFont, TR_NOOP("情報フォント(&I)..."));
    add(Command::StatusFont, TR_NOOP("メッセージフォント(&M)..."));
    add(Command::RecordFont, TR_NOOP("棋譜フォント(&K)..."));
    add(Command::CoordinateFont, TR_NOOP("座標フォント(&Z)..."));
    add(Command::CommentFont, TR_NOOP("コメントフォント(&C)..."));
    add(Command::PieceSettings, TR_NOOP("盤・駒の設定(&P)..."));
    add(Command::RecordWindow, TR_NOOP("表示(&V)"), {"Ctrl+L"});
    add(Command::RecordTimes, TR_NOOP("消費時間を表示する(&S)"));
    add(Command::RecordBranches, TR_NOOP("分岐の指し手を表示する(&B)"));
    add(Command::BookmarkNames, TR_NOOP("しおり名を表示する(&N)"));
    add(Command::BranchWindow0, TR_NOOP("表示しない(&0)"));
    add(commandAt(Command::BranchWindow0, 1), TR_NOOP("表示する(&1)"));
    add(Command::BranchWindow2, TR_NOOP("分岐があるとき表示する(&2)"));
    add(Command::CommentDisplay0, TR_NOOP("表示しない(&0)"));
    add(commandAt(Command::CommentDisplay0, 1), TR_NOOP("メインウィンドウに表示する(&1)"));
    add(commandAt(Command::CommentDisplay0, 2), TR_NOOP("コメントウィンドウに表示する(&2)"));
    add(Command::CommentDisplay3, TR_NOOP("コメントがあるときウィンドウに表示する(&3)"));
    add(Command::BoardSizeFit, TR_NOOP("ウィンドウに合わせる(&W)"));
    add(Command::BoardSize100, TR_NOOP("100%(&1)"));
    add(Command::BoardSize125, TR_NOOP("125%(&2)"));
    add(Command::BoardSize150, TR_NOOP("150%(&3)"));
    add(Command::BoardSize200, TR_NOOP("200%(&4)"));
    add(Command::RecordSeparate, TR_NOOP("別ウィンドウで表示する(&W)"));
    add(Command::ResetLayout, TR_NOOP("レイアウトを元に戻す(&Y)"));
    add(Command::DragWhileViewing, TR_NOOP("棋譜を見ながら駒を動かして指す(&D)"));
    add(Command::PromotionOnBoard, TR_NOOP("成・不成を盤上で選ぶ(&O)"));

    add(Command::HelpIndex, TR_NOOP("目次(&C)"), {"F1"});
    add(Command::Homepage, TR_NOOP("Veskのサイト(&K)"));
    add(Command::About, TR_NOOP("バージョン情報(&A)..."));

    add(Command::TypedMove, "", {"Shift+Return", "Shift+Enter"});
    for (int n = 1; n <= 9; ++n) {
        add(commandAt(Command::Variation1, n - 1), "",
            {std::to_string(n), "Num+" + std::to_string(n)});
    }
    add(Command::StopReplay, "", {"Backspace", "Return", "Enter"});
    add(Command::FasterReplay, "", {"Up"});
    add(Command::SlowerReplay, "", {"Down"});
    add(Command::SaveImageNamed, "");
    add(Command::NextPane, "", {"F6"});
    add(Command::PreviousPane, "", {"Shift+F6"});
    assert(static_cast<int>(t.size()) == kCommandCount);
    return t;
}

MenuItem item(Command c) { return {MenuItem::Kind::Command, c, {}, {}}; }
MenuItem separator() { return {}; }
MenuItem submenu(const char* title, std::vector<MenuItem> items) {
    return {MenuItem::Kind::Submenu, Command::Count, title, std::move(items)};
}
std::vector<MenuItem> range(Command first, Command last) {
    std::vector<MenuItem> items;
    for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i) {
        items.push_back(item(static_cast<Command>(i)));
    }
    return items;
}
std::vector<MenuItem> concat(std::vector<MenuItem> a, const std::vector<MenuItem>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

bool hasContinuation(const core::RecordStore& store) {
    return store.node(store.current()).next != core::kNoNode;
}

// Changing the record's moves from the position shown: in viewing or replay, never while a
// continuous replay runs.
bool recordChangeable(const Document& doc, const CommandActivity& activity) {
    ViewerMode m = doc.mode();
    return (m == ViewerMode::Viewing || m == ViewerMode::Replaying) && !activity.replayRunning &&
           hasContinuation(doc.store());
}

}  // namespace

const std::vector<CommandEntry>& commandTable() {
    static const std::vector<CommandEntry> table = buildTable();
    return table;
}

const CommandEntry& commandEntry(Command command) {
    return commandTable()[static_cast<std::size_t>(command)];
}

std::vector<MenuItem> mainMenus(const Settings& settings) {
    using C = Command;
    std::vector<MenuItem> play = range(C::NewGame, C::PlayerNames);
    if (settings.oldReplay != 0) play = concat(play, {separator(), item(C::OldReplay)});
    play.push_back(separator());
    play = concat(play, range(C::Resign, C::SuspendMail));
    return {
        submenu(TR_NOOP("ファイル(&F)"),
                concat(range(C::Open, C::SaveImage),
                       {separator(), submenu(TR_NOOP("メール"), range(C::MailLink, C::MailDialog)),
                        submenu(TR_NOOP("印刷(&P)"), range(C::PrintPosition, C::PrintForm)),
                        submenu(TR_NOOP("印刷プレビュー(&V)"),
                                range(C::PreviewPosition, C::PreviewForm)),
                        separator(), MenuItem{MenuItem::Kind::RecentFiles, C::Count, {}, {}},
                        item(C::Exit)})),
        submenu(TR_NOOP("編集(&E)"),
                concat({submenu(TR_NOOP("棋譜のコピー(&K)"), range(C::CopyKif, C::CopyDharma)),
                        submenu(TR_NOOP("局面・メールのコピー(&D)"),
                                range(C::CopyPosition, C::CopyMail2)),
                        item(C::CopyBitmap), item(C::Paste), item(C::MergeRecord),
                        item(C::CopyVariations), separator()},
                       concat(concat(range(C::RecordInfo, C::CreateBranch), {separator()}),
                              concat(range(C::AddBookmark, C::EditBookmarks),
                                     {submenu(TR_NOOP("テキストファイルの編集"),
                                              range(C::EditList0, C::EditList11))})))),
        submenu(TR_NOOP("対局(&P)"), play),
        submenu(TR_NOOP("局面編集(&B)"), range(C::Editing, C::ChangeSide)),
        submenu(TR_NOOP("ツール(&T)"), concat(concat(range(C::Settings, C::Pellam), {separator()}),
                                              range(C::ToolSettings, C::Tool5))),
        submenu(
            TR_NOOP("表示(&V)"),
            concat(
                concat(
                    {submenu(TR_NOOP("棋譜再現(&G)"), range(C::ToStart, C::JumpToPly)),
                     item(C::Turn), item(C::EmphasiseSide),
                     submenu(TR_NOOP("最終駒(&L)"), range(C::LastPieceNone, C::LastSquareColour))},
                    range(C::MainToolbar, C::StatusBar)),
                {submenu(TR_NOOP("色の設定(&C)"), range(C::BoardColour, C::BackgroundColour)),
                 submenu(TR_NOOP("フォントの設定(&F)"), range(C::InformationFont, C::CommentFont)),
                 item(C::PieceSettings),
                 submenu(TR_NOOP("盤の大きさ(&Z)"), range(C::BoardSizeFit, C::BoardSize200)),
                 item(C::ResetLayout), item(C::DragWhileViewing), item(C::PromotionOnBoard),
                 submenu(
                     TR_NOOP("棋譜ウィンドウ(&K)"),
                     concat(range(C::RecordWindow, C::BookmarkNames), {item(C::RecordSeparate)})),
                 submenu(TR_NOOP("分岐ウィンドウ(&B)"), range(C::BranchWindow0, C::BranchWindow2)),
                 submenu(TR_NOOP("棋譜コメント(&*)"),
                         range(C::CommentDisplay0, C::CommentDisplay3))})),
        submenu(TR_NOOP("エンジン(&N)"),
                concat(range(C::AnalysisView, C::GraphView),
                       concat({separator()}, range(C::AnalyseRecord, C::EngineLog)))),
        submenu(TR_NOOP("ヘルプ(&H)"), range(C::HelpIndex, C::About)),
    };
}

char32_t mnemonicOf(std::string_view utf8) {
    for (std::size_t i = 0; i + 1 < utf8.size(); ++i) {
        if (utf8[i] != '&') continue;
        if (utf8[i + 1] == '&') {
            ++i;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(utf8[i + 1]);
        if (c < 0x80) return static_cast<char32_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        return 0x80;  // a letter outside ASCII: none the keyboard types alone
    }
    return 0;
}

bool isEnabled(Command command, const Document& doc, const CommandActivity& activity) {
    const ViewerMode mode = doc.mode();
    const bool running = activity.replayRunning;
    if (command >= Command::Tool1 && command <= Command::Tool5) {
        const bool hasFile = !hasNoFile(doc.recordName()) && !doc.recordPath().empty();
        return toolEnabled(doc.settings(), offsetOf(command, Command::Tool1), hasFile);
    }
    if (command >= Command::Variation1 && command <= Command::Variation9) return !running;
    const PlayCommandStates play = playCommandStates(mode, doc.store(), doc.settings());
    switch (command) {
        case Command::Save:
            return commandStates(mode).save;
        case Command::FtpUpload:
            return !activity.ftpUploading;
        case Command::DalmirRegister:
            return registerInDatabaseEnabled(doc);
        case Command::Pellam:
            return problemDatabaseEnabled(running);
        case Command::TruncateAfter:
            return recordChangeable(doc, activity);
        case Command::CreateBranch:
            return recordChangeable(doc, activity) && play.continuePlay;
        case Command::NewGame:
        case Command::ResumeGame:
            return play.newGame;
        case Command::ContinuePlay:
            return play.continuePlay;
        case Command::PlayerNames:
            return play.playerNames;
        case Command::Resign:
            return play.resign || (isPlaying(mode) && doc.addsVariations());
        case Command::Suspend:
        case Command::EndInput:
        case Command::Impasse:
        case Command::TimeLoss:
        case Command::FoulLoss:
        case Command::FoulWin:
        case Command::Repetition:
        case Command::Mate:
        case Command::NoMate:
        case Command::SuspendMail:
            return play.terminals;
        case Command::TakeBack:
            return play.takeBack;
        case Command::Editing:
            return play.editing;
        case Command::EvenSetup:
        case Command::MateSetup:
        case Command::AllToBox:
        case Command::BoxToWhite:
        case Command::Flip:
        case Command::ChangeSide:
            return play.editCommands;
        case Command::ToStart:
        case Command::ReplayBack:
        case Command::StepBack:
        case Command::StepForward:
        case Command::ReplayForward:
        case Command::ToEnd:
        case Command::PreviousBranch:
        case Command::NextBranch:
        case Command::JumpToPly:
            return !running;
        case Command::StopReplay:
        case Command::FasterReplay:
        case Command::SlowerReplay:
            return running;
        case Command::TypedMove:
            return mode == ViewerMode::Playing;
        case Command::SaveImageNamed:
            return mode == ViewerMode::PrintPreview;
        case Command::OldReplay:
            return doc.settings().oldReplay != 0;  // neither entry nor key without 旧再現
        case Command::Open:
        case Command::NextFile:
        case Command::PreviousFile:
        case Command::SaveAs:
        case Command::SaveImage:
        case Command::MailLink:
        case Command::MailAttach:
        case Command::MailMal:
        case Command::MailMa2:
        case Command::MailDialog:
        case Command::PrintPosition:
        case Command::PrintRecord:
        case Command::PrintForm:
        case Command::PreviewPosition:
        case Command::PreviewRecord:
        case Command::PreviewForm:
        case Command::Exit:
        case Command::CopyKif:
        case Command::CopyKi2:
        case Command::CopyKifLine:
        case Command::CopyKi2Line:
        case Command::CopyEnglishRecord:
        case Command::CopyDharma:
        case Command::CopyPosition:
        case Command::CopyPositionHtml:
        case Command::CopyEnglishPosition:
        case Command::CopyMail1:
        case Command::CopyMail2:
        case Command::CopyBitmap:
        case Command::Paste:
        case Command::MergeRecord:
        case Command::CopyVariations:
        case Command::RecordInfo:
        case Command::ProblemInfo:
        case Command::EditComment:
        case Command::DeleteComments:
        case Command::EditTime:
        case Command::ZeroTimes:
        case Command::AddBookmark:
        case Command::GoToBookmark:
        case Command::EditBookmarks:
        case Command::EditList0:
        case Command::EditList11:
        case Command::Settings:
        case Command::Dalmir:
        case Command::DalmirSearch:
        case Command::ToolSettings:
        case Command::AnalysisView:
        case Command::GraphView:
        case Command::AnalyseRecord:
        case Command::WriteStoredAnalysis:
        case Command::EngineSettings:
        case Command::EngineLog:
        case Command::ReplayStop:
        case Command::Turn:
        case Command::EmphasiseSide:
        case Command::LastPieceNone:
        case Command::LastPieceColour:
        case Command::LastSquareColour:
        case Command::MainToolbar:
        case Command::ReplayToolbar:
        case Command::StatusBar:
        case Command::BoardColour:
        case Command::StandColour:
        case Command::LastPieceColourDialog:
        case Command::CurrentMoveColour:
        case Command::VariationColour:
        case Command::BackgroundColour:
        case Command::InformationFont:
        case Command::StatusFont:
        case Command::RecordFont:
        case Command::CoordinateFont:
        case Command::CommentFont:
        case Command::PieceSettings:
        case Command::RecordWindow:
        case Command::RecordTimes:
        case Command::RecordBranches:
        case Command::BookmarkNames:
        case Command::BranchWindow0:
        case Command::BranchWindow1:
        case Command::BranchWindow2:
        case Command::CommentDisplay0:
        case Command::CommentDisplay1:
        case Command::CommentDisplay2:
        case Command::CommentDisplay3:
        case Command::BoardSizeFit:
        case Command::BoardSize100:
        case Command::BoardSize125:
        case Command::BoardSize150:
        case Command::BoardSize200:
        case Command::RecordSeparate:
        case Command::ResetLayout:
        case Command::DragWhileViewing:
        case Command::PromotionOnBoard:
        case Command::NextPane:
        case Command::PreviousPane:
        case Command::HelpIndex:
        case Command::Homepage:
        case Command::About:
            return true;
        case Command::Tool1:
        case Command::Tool2:
        case Command::Tool3:
        case Command::Tool4:
        case Command::Tool5:
        case Command::Variation1:
        case Command::Variation9:
        case Command::Count:
            break;  // the ranges are decided above
    }
    return true;
}

bool truncateAfterCurrent(Document& doc) {
    core::RecordStore& store = doc.store();
    if (!hasContinuation(store) ||
        store.truncateAfter(store.currentPly()) != core::EditResult::Ok) {
        doc.warningSound();
        return false;
    }
    doc.ui().documentChanged();
    return true;
}

}  // namespace tavrel
