#include "journal/tests/printout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/wine/test_support.h"

namespace {

// Wine's own conversion of a Windows path to the Unix one.
std::string UnixPath(const std::string& windowsPath)
{
    using ToUnix = char*(CDECL*)(const WCHAR*);
    auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    wchar_t wide[MAX_PATH * 2];
    if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH * 2))
        return {};
    char* unix = toUnix(wide);
    if (!unix)
        return {};
    std::string path = unix;
    HeapFree(GetProcessHeap(), 0, unix);
    return path;
}

// cups-pdf writes into the PDF folder of the home of the user who printed,
// which is the home Wine gives the tests.
std::string OutputFolder()
{
    char home[MAX_PATH] = {};
    GetEnvironmentVariableA("WINEHOMEDIR", home, sizeof home);  // "\??\Z:\root"
    std::string folder = home;
    if (folder.rfind("\\??\\", 0) == 0)
        folder = folder.substr(4);
    return folder + "\\PDF";
}

std::vector<std::string> Documents(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*.pdf").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string TempFile(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    char unique[64];
    std::snprintf(unique, sizeof unique, "quorel-printout-%lu-%s", GetCurrentProcessId(), name);
    return std::string(temp) + unique;
}

// Runs a Unix program: Wine starts a program given by its Unix path as a
// Unix process. Its exit code does not come back through Wine, so callers
// look at what it wrote.
void RunUnix(std::string commandLine, int seconds)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return;
    WaitForSingleObject(process.hProcess, static_cast<DWORD>(seconds) * 1000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

// Waits until the file exists and keeps its size for a moment.
bool WaitForFile(const std::string& path, int seconds, const char* ending = nullptr)
{
    long long last = -1;
    for (int tick = 0; tick < seconds * 5; ++tick) {
        std::vector<uint8_t> bytes = ReadBytes(path);
        long long size = Exists(path) ? static_cast<long long>(bytes.size()) : -1;
        bool ended = !ending || std::string(bytes.end() - std::min<size_t>(bytes.size(), 64), bytes.end())
                                       .find(ending) != std::string::npos;
        if (size > 0 && size == last && ended)
            return true;
        last = size;
        Sleep(200);
    }
    return false;
}

std::string Unescape(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '&') {
            out += text[i];
            continue;
        }
        size_t end = text.find(';', i);
        std::string_view entity = end == std::string_view::npos ? text.substr(i) : text.substr(i, end - i + 1);
        if (entity == "&amp;")
            out += '&';
        else if (entity == "&lt;")
            out += '<';
        else if (entity == "&gt;")
            out += '>';
        else if (entity == "&quot;")
            out += '"';
        else if (entity == "&apos;" || entity == "&#39;")
            out += '\'';
        else {
            out += text[i];
            continue;
        }
        i += entity.size() - 1;
    }
    return out;
}

double Attribute(std::string_view tag, const char* name)
{
    std::string key = std::string(" ") + name + "=\"";
    size_t at = tag.find(key);
    if (at == std::string_view::npos)
        return -1;
    return std::atof(std::string(tag.substr(at + key.size())).c_str());
}

// The words of pdftotext's "-bbox" page: <page width=.. height=..> with one
// <word xMin=.. yMin=.. xMax=.. yMax=..>text</word> per word.
void ReadWords(const std::string& html, Printout& printout)
{
    size_t title = html.find("<title>");
    if (title != std::string::npos) {
        size_t end = html.find("</title>", title);
        printout.title = Unescape(std::string_view(html).substr(title + 7, end - title - 7));
    }
    size_t at = 0;
    while ((at = html.find("<page ", at)) != std::string::npos) {
        size_t close = html.find('>', at);
        size_t end = html.find("</page>", at);
        if (close == std::string::npos || end == std::string::npos)
            break;
        PrintedPage page;
        std::string_view tag(html.data() + at, close - at);
        page.width = Attribute(tag, "width");
        page.height = Attribute(tag, "height");
        size_t word = at;
        while ((word = html.find("<word ", word)) != std::string::npos && word < end) {
            size_t wordClose = html.find('>', word);
            size_t wordEnd = html.find("</word>", wordClose);
            std::string_view wordTag(html.data() + word, wordClose - word);
            PrintedWord w;
            w.left = Attribute(wordTag, "xMin");
            w.top = Attribute(wordTag, "yMin");
            w.right = Attribute(wordTag, "xMax");
            w.bottom = Attribute(wordTag, "yMax");
            w.text = Unescape(std::string_view(html).substr(wordClose + 1, wordEnd - wordClose - 1));
            page.words.push_back(w);
            word = wordEnd;
        }
        printout.pages.push_back(page);
        at = end;
    }
}

}  // namespace

PrintoutWatch::PrintoutWatch() : folder_(OutputFolder()), before_(Documents(folder_)) {}

std::vector<std::string> PrintoutWatch::NewDocuments() const
{
    std::vector<std::string> fresh;
    for (const std::string& name : Documents(folder_))
        if (!std::binary_search(before_.begin(), before_.end(), name))
            fresh.push_back(name);
    return fresh;
}

Printout PrintoutWatch::Wait(int seconds)
{
    Printout printout;
    std::vector<std::string> fresh;
    for (int tick = 0; tick < seconds * 5 && fresh.empty(); ++tick) {
        Sleep(200);
        fresh = NewDocuments();
    }
    if (fresh.size() != 1) {
        printout.error = fresh.empty() ? "no document came to " + folder_ + " in time"
                                       : "more than one document came to " + folder_;
        return printout;
    }
    std::string pdf = folder_ + "\\" + fresh[0];
    if (!WaitForFile(pdf, seconds, "%%EOF")) {
        printout.error = "the document " + pdf + " was not completed";
        return printout;
    }
    printout.pdfPath = UnixPath(pdf);
    std::string html = TempFile("words.html");
    DeleteFileA(html.c_str());
    RunUnix("/usr/bin/pdftotext -bbox -enc UTF-8 \"" + printout.pdfPath + "\" \"" + UnixPath(html) + "\"", 60);
    if (!WaitForFile(html, 30, "</html>")) {
        printout.error = "pdftotext did not read " + printout.pdfPath;
        return printout;
    }
    std::vector<uint8_t> bytes = ReadBytes(html);
    DeleteFileA(html.c_str());
    ReadWords(std::string(bytes.begin(), bytes.end()), printout);
    if (printout.pages.empty())
        printout.error = "no page in " + printout.pdfPath;
    return printout;
}

bool PrintoutWatch::NothingPrinted(int seconds)
{
    for (int tick = 0; tick < seconds * 5; ++tick) {
        if (!NewDocuments().empty())
            return false;
        Sleep(200);
    }
    return NewDocuments().empty();
}

PagePixels RenderPage(const Printout& printout, int page, int dpi)
{
    PagePixels pixels;
    std::string prefix = TempFile("page");
    std::string pgm = prefix + ".pgm";
    DeleteFileA(pgm.c_str());
    char options[128];
    std::snprintf(options, sizeof options, " -gray -aa no -aaVector no -r %d -f %d -l %d -singlefile ", dpi, page,
                  page);
    // pdftoppm writes <prefix>.pgm; the prefix is given as a Unix path of a
    // file that does not exist yet: its folder's path, then the name.
    std::string folder = prefix.substr(0, prefix.find_last_of('\\'));
    std::string unixPrefix = UnixPath(folder) + "/" + prefix.substr(prefix.find_last_of('\\') + 1);
    RunUnix("/usr/bin/pdftoppm" + std::string(options) + "\"" + printout.pdfPath + "\" \"" + unixPrefix + "\"", 60);
    if (!WaitForFile(pgm, 30))
        return pixels;
    std::vector<uint8_t> bytes = ReadBytes(pgm);
    DeleteFileA(pgm.c_str());
    // "P5", width, height, the largest value, one white space, the pixels.
    std::string head(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    int width = 0, height = 0, largest = 0, used = 0;
    if (std::sscanf(head.c_str(), "P5 %d %d %d%n", &width, &height, &largest, &used) != 3 || largest != 255)
        return pixels;
    size_t start = static_cast<size_t>(used) + 1;
    if (width <= 0 || height <= 0 || bytes.size() < start + static_cast<size_t>(width) * height)
        return pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.grey.assign(bytes.begin() + static_cast<long>(start), bytes.begin() + static_cast<long>(start) + width * height);
    return pixels;
}

std::string Utf8(const std::string& ansi)
{
    std::wstring wide(ansi.size() + 1, L'\0');
    int n = MultiByteToWideChar(1252, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                static_cast<int>(wide.size()));
    std::string out(static_cast<size_t>(n) * 4 + 1, '\0');
    int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), static_cast<int>(out.size()), nullptr,
                                nullptr);
    out.resize(static_cast<size_t>(std::max(m, 0)));
    return out;
}
