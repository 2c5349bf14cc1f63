#include "tavrel/logic/tools/settings_pages.h"

#include <algorithm>
#include <type_traits>
#include <utility>

#include "core/text/message_format.h"
#include "core/text/sjis.h"
#include "core/text/translation.h"
#include "tavrel/logic/view/continuous_replay.h"
#include "tavrel/settings/environment_file.h"

namespace tavrel {

namespace {

// Accessors of the settings record, one instantiation per member.
// A number or a settings code (the code's number: the controls list the codes in value order).
template <auto M>
int getInt(const Settings& s) {
    return static_cast<int>(s.*M);
}
template <auto M>
void putInt(Settings& s, int v) {
    s.*M = static_cast<std::remove_cvref_t<decltype(s.*M)>>(v);
}
template <auto M>
const std::string& getText(const Settings& s) {
    return s.*M;
}
template <auto M>
void putText(Settings& s, std::string v) {
    s.*M = std::move(v);
}
template <auto M, std::size_t I>
const std::string& getTextAt(const Settings& s) {
    return (s.*M)[I];
}
template <auto M, std::size_t I>
void putTextAt(Settings& s, std::string v) {
    (s.*M)[I] = std::move(v);
}

template <auto M>
SettingControl check(std::string_view id, std::string_view label) {
    SettingControl c;
    c.id = id;
    c.label = label;
    c.kind = ControlKind::Check;
    c.number = &getInt<M>;
    c.setNumber = &putInt<M>;
    return c;
}

template <auto M>
SettingControl number(std::string_view id, std::string_view label, int minimum, int maximum,
                      std::string_view unit = {}) {
    SettingControl c = check<M>(id, label);
    c.kind = ControlKind::Number;
    c.minimum = minimum;
    c.maximum = maximum;
    c.unit = unit;
    return c;
}

template <auto M>
SettingControl choice(std::string_view id, std::string_view label,
                      std::vector<std::string_view> choices) {
    SettingControl c = check<M>(id, label);
    c.kind = ControlKind::Choice;
    c.maximum = static_cast<int>(choices.size()) - 1;
    c.choices = std::move(choices);
    return c;
}

SettingControl textControl(std::string_view id, std::string_view label,
                           const std::string& (*get)(const Settings&),
                           void (*put)(Settings&, std::string), std::size_t bytes) {
    SettingControl c;
    c.id = id;
    c.label = label;
    c.kind = ControlKind::Text;
    c.bytes = bytes;
    c.text = get;
    c.setText = put;
    return c;
}

template <auto M>
SettingControl text(std::string_view id, std::string_view label,
                    std::size_t bytes = kSettingTextBytes) {
    return textControl(id, label, &getText<M>, &putText<M>, bytes);
}

template <auto M, std::size_t I>
SettingControl textAt(std::string_view id, std::string_view label,
                      std::size_t bytes = kSettingTextBytes) {
    return textControl(id, label, &getTextAt<M, I>, &putTextAt<M, I>, bytes);
}

template <auto M>
SettingControl path(std::string_view id, std::string_view label, PathDialog dialog) {
    SettingControl c = text<M>(id, label);
    c.kind = ControlKind::Path;
    c.dialog = dialog;
    return c;
}

SettingControl enabledWhen(SettingControl c, bool (*rule)(const Settings&)) {
    c.enabled = rule;
    return c;
}

// The second player's mark of the KI2 notation (KI2形式 2 "▲△", 3 "▲▽"). The older styles 0
// and 1 show as "▲△" and stay as they are unless "▲▽" is chosen.
int secondMark(const Settings& s) { return s.ki2Style == Ki2Style::TraditionalDown ? 1 : 0; }
void putSecondMark(Settings& s, int v) {
    if (v == 1) {
        s.ki2Style = Ki2Style::TraditionalDown;
    } else if (s.ki2Style == Ki2Style::TraditionalDown) {
        s.ki2Style = Ki2Style::TraditionalUp;
    }
}

void putMailFolder(Settings& s, std::string v) {
    normaliseFolder(v);
    s.mailFolder = std::move(v);
}

bool historyOn(const Settings& s) { return s.historyCount > 0; }

const std::vector<std::string_view> kStopChoices{TR_NOOP("停止しない"), TR_NOOP("一時停止する"),
                                                 TR_NOOP("指定時間停止")};
const std::vector<std::string_view> kHistoryChoices{TR_NOOP("記憶しない"), TR_NOOP("記憶する"),
                                                    TR_NOOP("記憶する(一覧と重複なし)")};

std::vector<SettingsPage> buildPages() {
    std::vector<SettingsPage> pages;

    SettingControl mark;
    mark.id = "secondMark";
    mark.label = TR_NOOP("棋譜の指し手");
    mark.kind = ControlKind::Choice;
    mark.choices = {"▲△", "▲▽"};
    mark.number = &secondMark;
    mark.setNumber = &putSecondMark;
    SettingControl wrapColumn = number<&Settings::commentWrapColumn>(
        "commentWrapColumn", TR_NOOP("文字(半角)"), 10, kSettingTextBytes);
    wrapColumn.enabled = [](const Settings& s) { return s.commentAutoWrap != 0; };
    pages.push_back(
        {TR_NOOP("棋譜"),
         PageKind::Plain,
         {mark,
          choice<&Settings::standardFormat>("standardFormat", TR_NOOP("標準棋譜形式"),
                                            {"KIF(&F)", "KI2(&2)"}),
          choice<&Settings::ki2HalfWidth>("ki2HalfWidth", TR_NOOP("棋譜(KI2)形式"),
                                          {TR_NOOP("全角(&Z)"), TR_NOOP("半角(&H)")}),
          enabledWhen(number<&Settings::ki2Columns>("ki2Columns", TR_NOOP("手／行："), 1, 99),
                      [](const Settings& s) { return s.ki2HalfWidth == 0; }),
          enabledWhen(number<&Settings::ki2HalfWidthColumns>("ki2HalfWidthColumns",
                                                             TR_NOOP("手／行："), 1, 99),
                      [](const Settings& s) { return s.ki2HalfWidth != 0; }),
          check<&Settings::commentAutoWrap>("commentAutoWrap", TR_NOOP("コメントの自動改行(&L)")),
          wrapColumn, text<&Settings::diagramFormat>("diagramFormat", TR_NOOP("局面書式：")),
          number<&Settings::recordCapacity>("recordCapacity", TR_NOOP("棋譜最大："), 1, 100000,
                                            TR_NOOP("手")),
          check<&Settings::kifOmitZeroTime>("kifOmitZeroTime",
                                            TR_NOOP("時間が0なら出力しない(&KIF)")),
          check<&Settings::markFinalDrop>("markFinalDrop", TR_NOOP("最終手に打を付ける(&U)")),
          check<&Settings::zeroTimeOnEntry>("zeroTimeOnEntry",
                                            TR_NOOP("棋譜入力時、消費時間を0に(&0)")),
          check<&Settings::autoThinkingTime>("autoThinkingTime", TR_NOOP("消費時間の自動設定(&S)")),
          check<&Settings::autoEndDate>("autoEndDate", TR_NOOP("終了日時の自動設定(&E)")),
          check<&Settings::backup>("backup", TR_NOOP("バックアップ(&B)")),
          check<&Settings::duplicateBookmarks>("duplicateBookmarks",
                                               TR_NOOP("同名のしおりを許容(&D)"))}});

    pages.push_back(
        {TR_NOOP("情報"),
         PageKind::Plain,
         {textAt<&Settings::userInfoNames, 0>("userInfo1", TR_NOOP("ユーザー定義キー1："),
                                              kUserInfoNameBytes),
          textAt<&Settings::userInfoNames, 1>("userInfo2", TR_NOOP("ユーザー定義キー2："),
                                              kUserInfoNameBytes),
          textAt<&Settings::userInfoNames, 2>("userInfo3", TR_NOOP("ユーザー定義キー3："),
                                              kUserInfoNameBytes),
          textAt<&Settings::userInfoNames, 3>("userInfo4", TR_NOOP("ユーザー定義キー4："),
                                              kUserInfoNameBytes),
          textAt<&Settings::userInfoNames, 4>("userInfo5", TR_NOOP("ユーザー定義キー5："),
                                              kUserInfoNameBytes),
          textAt<&Settings::infoFormats, 0>("infoFormat1", TR_NOOP("表示情報1：")),
          textAt<&Settings::infoFormats, 1>("infoFormat2", TR_NOOP("表示情報2：")),
          textAt<&Settings::infoFormats, 2>("infoFormat3", TR_NOOP("表示情報3：")),
          textAt<&Settings::problemInfoFormats, 0>("problemInfoFormat1", TR_NOOP("詰将棋1：")),
          textAt<&Settings::problemInfoFormats, 1>("problemInfoFormat2", TR_NOOP("詰将棋2：")),
          textAt<&Settings::problemInfoFormats, 2>("problemInfoFormat3", TR_NOOP("詰将棋3："))}});

    pages.push_back(
        {TR_NOOP("メール"),
         PageKind::Plain,
         {text<&Settings::internetMailTo>("internetMailTo", TR_NOOP("宛先：")),
          text<&Settings::internetMailSubject>("internetMailSubject", TR_NOOP("件名：")),
          text<&Settings::internetMailBody>("internetMailBody", TR_NOOP("本文：")),
          check<&Settings::internetMailAuto>("internetMailAuto",
                                             TR_NOOP("中断でメールを作成する(&A)"))},
         TR_NOOP("インターネットメールの設定")});

    pages.push_back(
        {TR_NOOP("メール2"),
         PageKind::Plain,
         {text<&Settings::mailForm1>("mailForm1", TR_NOOP("ﾒｰﾙ書式(1)：")),
          text<&Settings::mailForm2>("mailForm2", TR_NOOP("ﾒｰﾙ書式(2)：")),
          choice<&Settings::mailSave>(
              "mailSave", TR_NOOP("ﾒｰﾙ出力"),
              {TR_NOOP("書き換え"), TR_NOOP("追加"), TR_NOOP("指定ﾌｧｲﾙへ追加")}),
          textControl("mailFolder", TR_NOOP("パス："), &getText<&Settings::mailFolder>,
                      &putMailFolder, kSettingTextBytes),
          enabledWhen(text<&Settings::mailAppendName>("mailAppendName", ""),
                      [](const Settings& s) { return s.mailSave == MailSaveMode::AppendToOne; })}});

    SettingControl pieceSound =
        choice<&Settings::pieceSound>("pieceSound", TR_NOOP("駒音"), pieceSoundChoices());
    pages.push_back({TR_NOOP("ｻｳﾝﾄﾞ"),
                     PageKind::Sound,
                     {pieceSound,
                      enabledWhen(path<&Settings::userWave>(
                                      "userWave", TR_NOOP("WAVEﾌｧｲﾙ："),
                                      {TR_NOOP("参照(&R)..."), TR_NOOP("WAVEファイルの設定"),
                                       "WAVE (*.wav *.WAV)"}),
                                  userWaveEnabled),
                      check<&Settings::warningSound>("warningSound", TR_NOOP("警告音(&S)"))}});

    pages.push_back(
        {TR_NOOP("印刷"),
         PageKind::Plain,
         {text<&Settings::printPositionFormat>("printPositionFormat", TR_NOOP("局面印刷書式：")),
          text<&Settings::printRecordFormat>("printRecordFormat", TR_NOOP("棋譜印刷書式：")),
          number<&Settings::printColumns>("printColumns", TR_NOOP("手数／行："), 1, 20),
          number<&Settings::printLineSpacing>("printLineSpacing", TR_NOOP("行間隔："), 0, 100,
                                              "/10 mm"),
          number<&Settings::printLeftMargin>("printLeftMargin", TR_NOOP("左端余白："), 0, 100,
                                             "mm"),
          number<&Settings::printTopMargin>("printTopMargin", TR_NOOP("上端余白："), 0, 100, "mm"),
          check<&Settings::printComments>("printComments", TR_NOOP("棋譜のコメントを印刷(&C)")),
          check<&Settings::printNamesVertical>("printNamesVertical",
                                               TR_NOOP("対局者名の縦書き(&T)")),
          number<&Settings::printBlackNameChars>("printBlackNameChars", TR_NOOP("先手名の文字数："),
                                                 1, 40),
          number<&Settings::printWhiteNameChars>("printWhiteNameChars", TR_NOOP("後手名の文字数："),
                                                 1, 40),
          check<&Settings::printUnicode>("printUnicode", "Unicode(&U)")}});

    pages.push_back({TR_NOOP("印刷2"), PageKind::Fonts, {}});

    pages.push_back(
        {TR_NOOP("動作"),
         PageKind::Plain,
         {choice<&Settings::moveTextStyle>(
              "moveTextStyle", TR_NOOP("指し手表記"),
              {"▲△Vesk", "▲▽Vesk", TR_NOOP("▲△伝統"), TR_NOOP("▲▽伝統")}),
          text<&Settings::saveNameTemplate>("saveNameTemplate", TR_NOOP("棋譜保存初期名：")),
          check<&Settings::confirmSave>("confirmSave", TR_NOOP("棋譜を消す際に確認する(&C)")),
          check<&Settings::offerReplayAfterLoad>("offerReplayAfterLoad",
                                                 TR_NOOP("再開、再現時の棋譜読み込み選択(&S)")),
          check<&Settings::checkRules>("checkRules", TR_NOOP("ルールチェック(&R)")),
          check<&Settings::previewTwoColour>("previewTwoColour",
                                             TR_NOOP("ﾌﾟﾚﾋﾞｭｰのﾋﾞｯﾄﾏｯﾌﾟを２値にする(&B)")),
          check<&Settings::detectRepetitionInReplay>("detectRepetitionInReplay",
                                                     TR_NOOP("再現時の千日手検出(&P)")),
          choice<&Settings::positionAfterLoad>(
              "positionAfterLoad", TR_NOOP("棋譜読み込み後局面"),
              {TR_NOOP("開始"), TR_NOOP("最終"), TR_NOOP("中断は最終"), TR_NOOP("保存時局面"),
               TR_NOOP("最初のしおり")}),
          path<&Settings::databaseProgram>(
              "databaseProgram", TR_NOOP("棋譜データベース："),
              {TR_NOOP("参照(&K)..."), TR_NOOP("棋譜データベースプログラムの指定"),
               TR_NOOP("プログラム (*)")}),
          path<&Settings::problemDatabaseProgram>(
              "problemDatabaseProgram", TR_NOOP("詰将棋データベース："),
              {TR_NOOP("参照(&T)..."), TR_NOOP("詰将棋データベースプログラムの指定"),
               TR_NOOP("プログラム (*)")})}});

    pages.push_back(
        {TR_NOOP("画像"),
         PageKind::Plain,
         {check<&Settings::previewTwoColour>("previewTwoColourImage",
                                             TR_NOOP("ﾌﾟﾚﾋﾞｭｰのﾋﾞｯﾄﾏｯﾌﾟを２値にする(&B)")),
          text<&Settings::imageNameFormat>("imageNameFormat", TR_NOOP("画像ファイル名："))},
         {},
         imageNameNotes()});

    SettingControl speed = number<&Settings::replaySpeed>(
        "replaySpeed", TR_NOOP("再現速度"), kMinReplayInterval, kMaxReplayInterval, "ms");
    speed.kind = ControlKind::Slider;
    speed.displayScale = 100;
    pages.push_back(
        {TR_NOOP("再現"),
         PageKind::Plain,
         {speed, number<&Settings::animationSpeed>("animationSpeed", TR_NOOP("ｱﾆﾒｰｼｮﾝ："), 0, 3),
          choice<&Settings::stopAtComments>("stopAtComments", TR_NOOP("コメントで停止"),
                                            kStopChoices),
          enabledWhen(number<&Settings::commentWaitMs>("commentWaitMs", "", 0, 60000, "ms"),
                      [](const Settings& s) { return s.stopAtComments == ReplayStop::Wait; }),
          choice<&Settings::stopAtBranches>("stopAtBranches", TR_NOOP("分岐で停止"), kStopChoices),
          enabledWhen(number<&Settings::branchWaitMs>("branchWaitMs", "", 0, 60000, "ms"),
                      [](const Settings& s) { return s.stopAtBranches == ReplayStop::Wait; })}});

    pages.push_back({TR_NOOP("履歴"),
                     PageKind::Plain,
                     {number<&Settings::historyCount>("historyCount", TR_NOOP("履歴数："), 0, 20),
                      enabledWhen(choice<&Settings::playerHistory>(
                                      "playerHistory", TR_NOOP("対局者："), kHistoryChoices),
                                  historyOn),
                      enabledWhen(choice<&Settings::eventHistory>(
                                      "eventHistory", TR_NOOP("棋　戦："), kHistoryChoices),
                                  historyOn),
                      enabledWhen(choice<&Settings::openingHistory>(
                                      "openingHistory", TR_NOOP("戦　型："), kHistoryChoices),
                                  historyOn),
                      enabledWhen(choice<&Settings::timeLimitHistory>(
                                      "timeLimitHistory", TR_NOOP("持ち時間："), kHistoryChoices),
                                  historyOn),
                      enabledWhen(choice<&Settings::placeHistory>("placeHistory", TR_NOOP("場所："),
                                                                  kHistoryChoices),
                                  historyOn),
                      enabledWhen(choice<&Settings::publicationHistory>(
                                      "publicationHistory", TR_NOOP("掲載："), kHistoryChoices),
                                  historyOn),
                      enabledWhen(choice<&Settings::userHistory>(
                                      "userHistory", TR_NOOP("ユーザ定義："), kHistoryChoices),
                                  historyOn)}});

    pages.push_back(
        {TR_NOOP("英語"),
         PageKind::Plain,
         {choice<&Settings::englishNumbering>(
              "englishNumbering", TR_NOOP("棋譜形式"),
              {TR_NOOP("チェス式手数(&C)"), TR_NOOP("将棋式手数(&S)"), TR_NOOP("手数なし(&N)")}),
          text<&Settings::englishDiagramFormat>("englishDiagramFormat", TR_NOOP("盤面書式：")),
          number<&Settings::englishColumns>("englishColumns", TR_NOOP("手／行："), 1, 99)}});

    pages.push_back({TR_NOOP("初期"), PageKind::Desktop, {}});
    pages.push_back({"FTP", PageKind::Ftp, {}});
    return pages;
}

}  // namespace

std::vector<std::string_view> imageNameNotes() {
    return {TR_NOOP("%M ドキュメントフォルダのパス（/付き）"),
            TR_NOOP("%E デスクトップのパス（/付き）"),
            TR_NOOP("%P ピクチャフォルダのパス（/付き）"),
            TR_NOOP("%K 棋譜ファイルのフォルダ（/付き）"),
            TR_NOOP("%f 棋譜ファイル名（フォルダ・拡張子なし）"),
            TR_NOOP("%F 棋譜ファイル名（フォルダ付き・拡張子なし）"),
            TR_NOOP("%D Tavrel のフォルダ（/付き）"),
            TR_NOOP("%N 手数"),
            TR_NOOP("%B 先手（下手）名"),
            TR_NOOP("%W 後手（上手）名"),
            TR_NOOP("%Y 日付（20261211 の形）"),
            TR_NOOP("%y 日付（26Dec11 の形）"),
            TR_NOOP("%T 時刻（235959 の形）")};
}

const std::vector<SettingsPage>& settingsPages() {
    static const std::vector<SettingsPage> pages = buildPages();
    return pages;
}

const SettingControl* findSettingControl(std::string_view id) {
    for (const SettingsPage& page : settingsPages()) {
        for (const SettingControl& c : page.controls) {
            if (c.id == id) return &c;
        }
    }
    return nullptr;
}

void storeNumber(const SettingControl& control, Settings& draft, int shownValue) {
    int value = shownValue / std::max(control.displayScale, 1);
    if (control.kind == ControlKind::Check) {
        // A check stores 0/1, but an untouched flag with another value keeps it.
        bool ticked = shownValue != 0;
        if ((control.number(draft) != 0) == ticked) return;
        value = ticked ? 1 : 0;
    } else {
        value = std::clamp(value, control.minimum, control.maximum);
    }
    control.setNumber(draft, value);
}

void storeText(const SettingControl& control, Settings& draft, std::string cp932) {
    cp932.resize(core::cutToBytes(cp932, control.bytes).size());
    control.setText(draft, std::move(cp932));
}

int shownNumber(const SettingControl& control, const Settings& draft) {
    int value = control.number(draft);
    if (control.kind == ControlKind::Check) return value != 0 ? 1 : 0;
    return std::clamp(value, control.minimum, control.maximum) * control.displayScale;
}

bool controlEnabled(const SettingControl& control, const Settings& draft) {
    return control.enabled == nullptr || control.enabled(draft);
}

// ---- Sound page ----

std::vector<std::string_view> pieceSoundChoices() {
    return {TR_NOOP("なし"), TR_NOOP("ﾋﾞｰﾌﾟ"), TR_NOOP("駒音1"), TR_NOOP("駒音2"),
            TR_NOOP("外部WAVE")};
}

bool userWaveEnabled(const Settings& draft) { return draft.pieceSound == PieceSoundKind::UserWave; }

void testPieceSound(const Settings& stored, const Settings& draft, const PieceSoundTest& play) {
    if (!play) return;
    Settings trial = stored;
    trial.pieceSound = draft.pieceSound;
    trial.userWave = draft.userWave;
    play(trial);
}

// ---- Messages ----

std::string cannotWriteMessage(std::string_view path) {
    return core::formatMessage(core::translate("%s に書き込めません。"), {path});
}

std::string associatedMessage() {
    return core::translate("棋譜・局面ファイルを本プログラムと対応付けしました。");
}

std::string shortcutCreatedMessage() {
    return core::translate("デスクトップにショートカットを作成しました。");
}

std::string environmentNotSavedMessage(std::string_view path) {
    return core::formatMessage(core::translate("環境ファイル(%s)を保存できませんでした。"), {path});
}

// ---- FTP page ----

FtpPageModel::FtpPageModel(FtpSettings& draft) : m_draft(draft) {
    int count = static_cast<int>(m_draft.entries.size());
    m_current = count == 0 ? -1 : std::clamp(m_draft.selection, 0, count - 1);
}

void FtpPageModel::remember() { m_draft.selection = std::max(m_current, 0); }

void FtpPageModel::select(int index) {
    if (index < 0 || index >= static_cast<int>(m_draft.entries.size())) return;
    m_current = index;
    remember();
}

bool FtpPageModel::add() {
    if (static_cast<int>(m_draft.entries.size()) >= kMaxFtpSettings) return false;
    FtpSetting s;
    s.name = ftpSettingName(static_cast<int>(m_draft.entries.size()) + 1);
    m_draft.entries.push_back(std::move(s));
    m_current = static_cast<int>(m_draft.entries.size()) - 1;
    remember();
    return true;
}

void FtpPageModel::remove() {
    if (!canRemove()) return;
    m_draft.entries.erase(m_draft.entries.begin() + m_current);
    int count = static_cast<int>(m_draft.entries.size());
    m_current = count == 0 ? -1 : std::min(m_current, count - 1);
    remember();
}

void FtpPageModel::moveUp() {
    if (!canMoveUp()) return;
    std::swap(m_draft.entries[m_current], m_draft.entries[m_current - 1]);
    --m_current;
    remember();
}

void FtpPageModel::moveDown() {
    if (!canMoveDown()) return;
    std::swap(m_draft.entries[m_current], m_draft.entries[m_current + 1]);
    ++m_current;
    remember();
}

void FtpPageModel::setField(Field field, std::string cp932) {
    if (!fieldsEnabled()) return;
    cp932.resize(core::cutToBytes(cp932, kFtpTextBytes).size());
    FtpSetting& s = m_draft.entries[m_current];
    switch (field) {
        case Field::Name:
            s.name = std::move(cp932);
            break;
        case Field::Server:
            s.server = std::move(cp932);
            break;
        case Field::User:
            s.user = std::move(cp932);
            break;
        case Field::Password:
            s.password = std::move(cp932);
            break;
        case Field::Folder:
            s.folder = std::move(cp932);
            break;
    }
}

void FtpPageModel::setPassive(bool passive) {
    if (fieldsEnabled()) m_draft.entries[m_current].passive = passive;
}

void FtpPageModel::setUploadTo(int index, bool selected) {
    if (index >= 0 && index < static_cast<int>(m_draft.entries.size())) {
        m_draft.entries[index].selected = selected;
    }
}

}  // namespace tavrel
