#include "users/numbers_page.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "resources/resource.h"
#include "base/app.h"
#include "base/modal_seam.h"
#include "base/program_dir.h"
#include "base/window_utils.h"

constexpr const char* kPoolSection = "AUTORISE";
// The pool holds as many numbers as a user's list, under the keys NUM0 to NUM39.
constexpr int kPoolKeys = MaxNumbers;
// An entry of a user's list holds 19 characters and its terminating zero.
constexpr int kNumberLength = static_cast<int>(kNumberSize) - 1;
constexpr int kPoolValueSize = 128;

static const int kPageControls[] = {IDC_USER_NUMBERS_LABEL, IDC_USER_NUMBERS, IDC_POOL_LABEL, IDC_POOL,
                                    IDC_INSERT_NUMBER,      IDC_REMOVE_NUMBER, IDC_NEW_NUMBER};
// The controls that change the user's list, and so only while editing.
static const int kEditControls[] = {IDC_USER_NUMBERS, IDC_INSERT_NUMBER, IDC_REMOVE_NUMBER};

static std::string PoolKey(int k)
{
    char key[16];
    std::snprintf(key, sizeof key, "NUM%d", k);
    return key;
}

static void ShowMaximumReached(HWND dialog)
{
    ShowMessageBox(dialog, "Le nombre maximum de numéros est atteint.", "Attention", MB_OK | MB_ICONEXCLAMATION);
}

static bool IsUserSelected(HWND dialog)
{
    return SendDlgItemMessageA(dialog, IDC_USERS_LIST, LB_GETCURSEL, 0, 0) != LB_ERR;
}

static int ListCount(HWND list)
{
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    return count == LB_ERR ? 0 : static_cast<int>(count);
}

// A row's whole text, however long it is.
static std::string RowText(HWND list, int row)
{
    LRESULT length = SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length == LB_ERR)
        return {};
    std::vector<char> text(static_cast<size_t>(length) + 1, 0);
    SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

static bool IsRowSelected(HWND list, int row)
{
    return SendMessageA(list, LB_GETSEL, row, 0) > 0;
}

static std::string EntryText(const NumbersRecord& record, int k)
{
    return std::string(record.numbers[k], strnlen(record.numbers[k], kNumberSize));
}

// The record's count, never more than its entries.
static int EntryCount(const NumbersRecord& record)
{
    return record.count > static_cast<uint32_t>(MaxNumbers) ? MaxNumbers : static_cast<int>(record.count);
}

static bool HoldsNumber(const NumbersRecord& record, const std::string& number)
{
    for (int k = 0; k < EntryCount(record); ++k)
        if (EntryText(record, k) == number)
            return true;
    return false;
}

void ShowNumbersPage(HWND dialog, int editing)
{
    for (int id : kPageControls) {
        ShowWindow(GetDlgItem(dialog, id), SW_SHOW);
        EnableWindow(GetDlgItem(dialog, id), TRUE);
    }
    for (int id : kEditControls)
        EnableWindow(GetDlgItem(dialog, id), editing ? TRUE : FALSE);
}

void HideNumbersPage(HWND dialog)
{
    for (int id : kPageControls)
        ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    for (int id : kEditControls)
        EnableWindow(GetDlgItem(dialog, id), FALSE);
}

void FillNumbersPage(HWND dialog, const NumbersRecord& numbers)
{
    FillUserNumbersList(dialog, numbers);
    ReadNumberPool(dialog);
}

void FillUserNumbersList(HWND dialog, const NumbersRecord& numbers)
{
    HWND list = GetDlgItem(dialog, IDC_USER_NUMBERS);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (int k = 0; k < EntryCount(numbers); ++k)
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(EntryText(numbers, k).c_str()));
}

void ReadNumberPool(HWND dialog)
{
    HWND pool = GetDlgItem(dialog, IDC_POOL);
    SendMessageA(pool, LB_RESETCONTENT, 0, 0);
    std::string ini = AdminIniPath();
    for (int k = 0; k < kPoolKeys; ++k) {
        char value[kPoolValueSize];
        GetPrivateProfileStringA(kPoolSection, PoolKey(k).c_str(), "", value, sizeof value, ini.c_str());
        if (value[0])
            SendMessageA(pool, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(value));
    }
}

void WriteNumberPool(HWND dialog)
{
    HWND pool = GetDlgItem(dialog, IDC_POOL);
    std::string ini = AdminIniPath();
    int rows = ListCount(pool);
    int written = rows < kPoolKeys ? rows : kPoolKeys;  // there is no key past NUM39
    for (int k = 0; k < written; ++k)
        WritePrivateProfileStringA(kPoolSection, PoolKey(k).c_str(), RowText(pool, k).c_str(), ini.c_str());
    // Keys above the pool would come back at the next reading: the one a
    // removal freed, and any left after a gap by a hand-edited file.
    for (int k = written; k < kPoolKeys; ++k) {
        char value[kPoolValueSize];
        GetPrivateProfileStringA(kPoolSection, PoolKey(k).c_str(), "", value, sizeof value, ini.c_str());
        if (value[0])
            WritePrivateProfileStringA(kPoolSection, PoolKey(k).c_str(), "", ini.c_str());
    }
}

// Adds one pool number to the user's numbers and list. The text is cut to
// what an entry holds, so that no entry ever runs into the next.
static void InsertNumber(HWND dialog, NumbersRecord& numbers, std::string number)
{
    if (number.empty())
        return;  // an empty forbidden number means nothing to the server
    if (number.size() > static_cast<size_t>(kNumberLength))
        number.resize(kNumberLength);
    if (HoldsNumber(numbers, number))
        return;
    int count = EntryCount(numbers);
    if (count >= MaxNumbers) {
        ShowMaximumReached(dialog);
        return;
    }
    std::memset(numbers.numbers[count], 0, kNumberSize);
    std::memcpy(numbers.numbers[count], number.data(), number.size());
    numbers.count = static_cast<uint32_t>(count + 1);
    SendDlgItemMessageA(dialog, IDC_USER_NUMBERS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number.c_str()));
}

void InsertPoolNumbers(HWND dialog, NumbersRecord& numbers)
{
    HWND pool = GetDlgItem(dialog, IDC_POOL);
    int rows = ListCount(pool);
    for (int i = 0; i < rows && IsUserSelected(dialog); ++i)
        if (IsRowSelected(pool, i))
            InsertNumber(dialog, numbers, RowText(pool, i));
}

static void RemoveEntry(NumbersRecord& record, int i)
{
    int count = EntryCount(record);
    if (i < 0 || i >= count)
        return;
    std::memmove(record.numbers[i], record.numbers[i + 1], (MaxNumbers - 1 - i) * kNumberSize);
    std::memset(record.numbers[MaxNumbers - 1], 0, kNumberSize);
    record.count = static_cast<uint32_t>(count - 1);
}

void RemoveUserNumbers(HWND dialog, NumbersRecord& numbers)
{
    HWND list = GetDlgItem(dialog, IDC_USER_NUMBERS);
    for (int i = ListCount(list) - 1; i >= 0 && IsUserSelected(dialog); --i)
        if (IsRowSelected(list, i))
            RemoveEntry(numbers, i);
    FillUserNumbersList(dialog, numbers);
}

void AddPoolNumber(HWND dialog)
{
    HWND pool = GetDlgItem(dialog, IDC_POOL);
    // Only 40 keys hold the pool: a further number would be lost on writing.
    if (ListCount(pool) >= kPoolKeys) {
        ShowMaximumReached(dialog);
        return;
    }
    DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(IDD_NEW_NUMBER), dialog, NewNumberDialog,
                    reinterpret_cast<LPARAM>(pool));
    WriteNumberPool(dialog);
}

void RemovePoolNumber(HWND dialog)
{
    HWND pool = GetDlgItem(dialog, IDC_POOL);
    int rows = ListCount(pool);
    LRESULT focused = SendMessageA(pool, LB_GETCARETINDEX, 0, 0);
    if (rows == 0 || focused == LB_ERR || focused < 0 || focused >= rows)
        return;
    // The rows are taken from the list rather than from admin.ini, so that
    // the number removed is the one the administrator sees focused.
    std::vector<std::string> kept;
    for (int i = 0; i < rows; ++i) {
        std::string text = RowText(pool, i);
        if (i != focused && !text.empty())
            kept.push_back(text);
    }
    SendMessageA(pool, LB_RESETCONTENT, 0, 0);
    for (const std::string& text : kept)
        SendMessageA(pool, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    WriteNumberPool(dialog);
}

static void OpenNewNumberDialog(HWND dialog, LPARAM pool)
{
    SetWindowLongPtrA(dialog, DWLP_USER, pool);
    CentreWindow(dialog);
    SendDlgItemMessageA(dialog, IDC_NEW_NUMBER_TEXT, EM_LIMITTEXT, kNumberLength, 0);
}

// The field takes what an entry of a user's list holds; a longer text put in
// by other means than typing is cut the same way.
static void AcceptNewNumber(HWND dialog)
{
    char number[kNumberSize];
    GetDlgItemTextA(dialog, IDC_NEW_NUMBER_TEXT, number, sizeof number);
    HWND pool = reinterpret_cast<HWND>(GetWindowLongPtrA(dialog, DWLP_USER));
    SendMessageA(pool, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(number));
    EndDialog(dialog, 1);
}

INT_PTR CALLBACK NewNumberDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        OpenNewNumberDialog(dialog, lParam);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:     AcceptNewNumber(dialog); return TRUE;
        case IDCANCEL: EndDialog(dialog, 0); return TRUE;
        }
        break;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}
