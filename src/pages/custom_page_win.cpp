// The customisation page: an administrator chooses a default server with its lock mode and a
// documentation path, and Next writes a copy of this installer that carries them.
#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>

#include "base/file_win.h"
#include "base/process_state_win.h"
#include "base/product.h"
#include "base/text.h"
#include "base/texts.h"
#include "base/ui_win.h"
#include "base/wide_win.h"
#include "pages/page_frame_win.h"
#include "pages/pages_win.h"
#include "settings/customisation.h"
#include "settings/settings_block.h"

namespace qf {
namespace {

// Room for any text the edit fields can sensibly hold; what does not fit is refused as too long.
constexpr int FieldCapacity = 1024;
static_assert(FieldCapacity - 1 > static_cast<int>(SettingsTextLimit));

struct CustomControls {
    HWND serverBox, serverLabel, serverEdit;
    HWND lockButtons[LockModes];
    HWND docPathBox, docPathLabel, docPathEdit;
    HWND cancelButton, nextButton;
};
CustomControls Custom;
int LockSelection;

constexpr DWORD Disabled = WS_CHILD | WS_VISIBLE | WS_DISABLED;

// False when a control could not be made: a page without one of its fields would write a copy
// from what it lacks, so it is not opened at all.
bool OnCreate(HWND page, LPARAM createParams) {
    const CreationMetrics m = MeasurePage(page, createParams);
    Custom = {};
    LockSelection = 0;
    Custom.serverBox = CreateControl(page, L"button", W(text::ServerBox), WS_CHILD | WS_VISIBLE | BS_CHECKBOX,
                                     CustomPageLayout.serverBox, ServerBoxId);
    Custom.serverLabel =
        CreateControl(page, L"static", W(text::ServerLabel), Disabled, CustomPageLayout.serverLabel, TextControlId);
    Custom.serverEdit = CreateControl(page, L"edit", nullptr, Disabled | WS_BORDER | ES_AUTOHSCROLL,
                                      CustomPageLayout.serverEdit, TextControlId);
    const char16_t* const lockTexts[LockModes] = {text::LockMode0, text::LockMode1, text::LockMode2};
    for (int n = 0; n < LockModes; ++n) {
        Custom.lockButtons[n] = CreateControl(page, L"button", W(lockTexts[n]), Disabled | BS_RADIOBUTTON,
                                              LockButtonRect(n), LockButtonId + n);
        if (n == 0) SendMessageW(Custom.lockButtons[0], BM_SETCHECK, BST_CHECKED, 0);
    }
    Custom.docPathBox = CreateControl(page, L"button", W(text::DocPathBox), WS_CHILD | WS_VISIBLE | BS_CHECKBOX,
                                      CustomPageLayout.docPathBox, DocPathBoxId);
    Custom.docPathLabel =
        CreateControl(page, L"static", W(text::DocPathLabel), Disabled, CustomPageLayout.docPathLabel, TextControlId);
    Custom.docPathEdit = CreateControl(page, L"edit", nullptr, Disabled | WS_BORDER | ES_AUTOHSCROLL,
                                       CustomPageLayout.docPathEdit, TextControlId);
    Custom.cancelButton = CreateControl(page, L"button", W(text::CancelButton), WS_CHILD | WS_VISIBLE,
                                        RowButton(m, CustomRowMargin, 1), CancelId);
    Custom.nextButton = CreateControl(page, L"button", W(text::NextButton), WS_CHILD | WS_VISIBLE,
                                      RowButton(m, CustomRowMargin, 2), ForwardId);
    const HWND fields[] = {Custom.serverBox,    Custom.serverLabel, Custom.serverEdit,   Custom.docPathBox,
                           Custom.docPathLabel, Custom.docPathEdit, Custom.cancelButton, Custom.nextButton};
    const auto made = [](HWND control) { return control != nullptr; };
    return std::all_of(std::begin(fields), std::end(fields), made) &&
           std::all_of(std::begin(Custom.lockButtons), std::end(Custom.lockButtons), made);
}

void DrawTexts(HWND, HDC dc, int) {
    DrawPageText(dc, CustomPageLayout.textTops[0], W(text::CustomLine1));
    DrawPageText(dc, CustomPageLayout.textTops[1], W(text::CustomLine2));
    DrawPageText(dc, CustomPageLayout.textTops[2], W(text::CustomLine3));
}

bool IsChecked(HWND box) { return (SendMessageW(box, BM_GETSTATE, 0, 0) & BST_CHECKED) != 0; }

// Switches a group on or off; what its fields hold and the lock selection stay as they are.
void ToggleGroup(HWND box, std::initializer_list<HWND> members) {
    const bool on = !IsChecked(box);
    SendMessageW(box, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    for (HWND member : members) EnableWindow(member, on);
}

void ChooseLockMode(int n) {
    if (n == LockSelection) return;
    SendMessageW(Custom.lockButtons[LockSelection], BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(Custom.lockButtons[n], BM_SETCHECK, BST_CHECKED, 0);
    LockSelection = n;
}

// The field's text in the ANSI code page. A text that fills the buffer may go on beyond it; it
// is far over any limit either way, so what arrives is enough to refuse it.
std::string_view FieldText(HWND edit, char (&buffer)[FieldCapacity]) {
    const LRESULT copied = SendMessageA(edit, WM_GETTEXT, FieldCapacity, reinterpret_cast<LPARAM>(buffer));
    return std::string_view(buffer, static_cast<std::size_t>(copied));
}

bool ShowRefusal(HWND page, CustomisationRefusal refusal) {
    struct Message {
        const char16_t* text;
        const char16_t* caption;
        UINT style;
    };
    Message m{};
    switch (refusal) {
        case CustomisationRefusal::None: return false;
        case CustomisationRefusal::DocPathMissing:
            m = {text::DocPathMissingMessage, text::BadDocPathCaption, MB_ICONERROR};
            break;
        case CustomisationRefusal::DocPathTooLong:
            m = {text::DocPathTooLongMessage, text::BadDocPathCaption, MB_ICONERROR};
            break;
        case CustomisationRefusal::ServerMissing:
            m = {text::ServerMissingMessage, text::BadServerCaption, MB_ICONERROR};
            break;
        case CustomisationRefusal::ServerTooLong:
            m = {text::ServerTooLongMessage, text::BadServerCaption, MB_ICONERROR};
            break;
        case CustomisationRefusal::NothingChosen:
            m = {text::CustomisationRequiredMessage, text::CustomisationRequiredCaption, MB_ICONINFORMATION};
            break;
    }
    ShowMessage(page, m.text, m.caption, MB_OK | m.style);
    return true;
}

// Writes the customised image beside the installer, replacing a file of that name, and tells
// how it went. A copy cut short is reported as not written.
void SaveCopy(HWND page, const char16_t* ownPath, std::span<const std::uint8_t> image) {
    char16_t outputPath[PathCapacity];
    const NewFileResult written = CustomisedCopyPath(ownPath, outputPath)
                                      ? WriteNewFile(W(outputPath), FILE_SHARE_READ, image)
                                      : NewFileResult{false, ERROR_FILENAME_EXCED_RANGE};
    if (!written.opened)
        ShowFormattedMessage(page, text::OutputOpenFormat, {outputPath}, text::ErrorOpeningFileCaption,
                             MB_OK | MB_ICONERROR);
    else if (written.error == ERROR_SUCCESS)
        ShowFormattedMessage(page, text::CopyCreatedFormat, {outputPath}, text::CompletedCaption,
                             MB_OK | MB_ICONINFORMATION);
    else ShowMessage(page, text::OutputWriteMessage, text::FileIoErrorCaption, MB_OK | MB_ICONERROR);
}

// Reads this installer's own file with one read, writes the choices into its block and saves it
// as the copy. A read that fails (the installer on a share that went away) ends without a word.
void WriteCustomisedCopy(HWND page, const CustomisationChoice& choice) {
    char16_t ownPath[PathCapacity];
    HeapBlock image;
    DWORD openError = ERROR_FILENAME_EXCED_RANGE;
    const ReadResult read = CustomisationOwnPath(U(GetCommandLineW()), ownPath)
                                ? ReadWholeFile(W(ownPath), image, openError)
                                : ReadResult::NotOpened;
    switch (read) {
        case ReadResult::NotOpened:
            ShowFormattedMessage(page, text::OwnFileOpenFormat, {ownPath, static_cast<std::int32_t>(openError)},
                                 text::ErrorCustomisingCaption, MB_OK | MB_ICONERROR);
            return;
        case ReadResult::Unusable:
        case ReadResult::ReadFailed: return;
        case ReadResult::NoMemory:
            ShowMessage(page, text::CopyMemoryMessage, text::CustomisationErrorCaption, MB_OK | MB_ICONERROR);
            return;
        case ReadResult::Read: break;
    }
    // A signed installer's copy is shorter by its signature; see CustomiseImage.
    const CustomiseResult copy = CustomiseImage(image.Bytes(), {EmbeddedSettings, SettingsKeySize}, choice);
    switch (copy.outcome) {
        case CustomiseOutcome::Made: SaveCopy(page, ownPath, image.Bytes().first(copy.length)); return;
        case CustomiseOutcome::NoBlock: return;
        case CustomiseOutcome::SignatureNotDropped:
            // The copy would carry a signature that no longer matches it: it cannot be written.
            ShowMessage(page, text::OutputWriteMessage, text::FileIoErrorCaption, MB_OK | MB_ICONERROR);
            return;
    }
}

// Next: the choices are checked in a fixed order and a refusal leaves the page as it was; valid
// choices end the program whatever becomes of the copy. The mode byte comes from the choice,
// so LockSelection always names a lock button.
void CreateCustomisedCopy(HWND page) {
    char serverBuffer[FieldCapacity];
    char docPathBuffer[FieldCapacity];
    CustomisationChoice choice;
    choice.docPathChosen = IsChecked(Custom.docPathBox);
    if (choice.docPathChosen) choice.docPath = FieldText(Custom.docPathEdit, docPathBuffer);
    choice.serverChosen = IsChecked(Custom.serverBox);
    if (choice.serverChosen) choice.server = FieldText(Custom.serverEdit, serverBuffer);
    choice.lockSelection = static_cast<std::uint8_t>(LockSelection);
    if (ShowRefusal(page, ValidateCustomisation(choice))) return;

    EnableWindow(Custom.nextButton, FALSE);
    EnableWindow(Custom.cancelButton, FALSE);
    WriteCustomisedCopy(page, choice);
    PostQuitMessage(0);
}

void OnCommand(HWND page, int clickedId) {
    switch (clickedId) {
        case CancelId: PostQuitMessage(0); break;
        case ForwardId: CreateCustomisedCopy(page); break;
        case ServerBoxId:
            ToggleGroup(Custom.serverBox, {Custom.serverLabel, Custom.serverEdit, Custom.lockButtons[0],
                                           Custom.lockButtons[1], Custom.lockButtons[2]});
            break;
        case DocPathBoxId: ToggleGroup(Custom.docPathBox, {Custom.docPathLabel, Custom.docPathEdit}); break;
        case LockButtonId:
        case LockButtonId + 1:
        case LockButtonId + 2: ChooseLockMode(clickedId - LockButtonId); break;
        default: break;
    }
}

}  // namespace

const PageHandlers CustomPageHandlers{
    .create = OnCreate,
    .drawTexts = DrawTexts,
    .command = OnCommand,
    // The one page a new size does not repaint. The frame has no sizing border, so only a
    // WM_SIZE sent from outside arrives, and the class styles repaint a real resize anyway.
    .size = AnswerNothing,
    // Key presses are swallowed, as on the licence page; the installation page leaves them to
    // the system.
    .keyDown = AnswerNothing,
    // The check boxes, radio buttons and labels show their texts on the page colour.
    .controlColour = ControlColour,
};

}  // namespace qf
