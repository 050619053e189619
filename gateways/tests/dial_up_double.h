// The dial-up test double (tests/doubles/rasapi32) as the Wine tests drive it:
// its script, its log and its phonebook in the test's program directory. The
// test must run with WINEDLLOVERRIDES="rasapi32=n,b" (see the suites named in
// the top CMakeLists.txt); creating a DialUpDouble adds the double's folder to
// the DLL search path, beside the telephony double's (TelephonyDouble), so
// that the console's LoadLibraryA("rasapi32.dll") finds it.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class DialUpDouble {
public:
    enum class Build { complete, incomplete };  // incomplete: no entry reader at all
    explicit DialUpDouble(const std::string& programDir, Build build = Build::complete);
    ~DialUpDouble();
    DialUpDouble(const DialUpDouble&) = delete;
    DialUpDouble& operator=(const DialUpDouble&) = delete;

    void Set(const std::string& section, const char* key, const std::string& value);
    void AddDevice(const std::string& type, const std::string& name);

    // The calls logged so far, one line each ("RasDeleteEntryA - <entry>").
    std::vector<std::string> Log() const;
    std::vector<std::string> Calls(const std::string& prefix) const;

    // The phonebook: its entries' names, and a key of one entry ("" when missing).
    std::vector<std::string> Entries() const;
    std::string Entry(const std::string& entry, const char* key) const;
    // Writes a key of an entry, as if the entry was there before.
    void SetEntry(const std::string& entry, const char* key, const std::string& value);
    const std::string& Phonebook() const { return phonebook_; }

private:
    std::string script_;
    std::string log_;
    std::string phonebook_;
    int devices_ = 0;
};

// The entry name of line `index` with the default "AccesRAS".
std::string DefaultEntryName(int index);
