// Installing the server program "services.exe" of the program directory as a
// platform service, through the installer library "_isuser.dll".
#pragma once
#include <string>

#include "isuser/isuser.h"

// The product's installation registry prefix: the server's settings lie in
// the key "Software\<prefix>server" of HKEY_LOCAL_MACHINE, where the
// installation stores the product identifier "IdProduct".
constexpr char kInstallRegistryPrefix[] = "Quorel\\";

// The identifier to install the service under: the string value "IdProduct"
// of that key when it is a text of 1 to 127 characters, else "QUOREL".
std::string ReadServiceIdentifier();

// Loads "_isuser.dll" from the program directory and calls its
// "CreateServiceEx" with the identifier and the path of "services.exe" of the
// program directory; its answer is not used. Whether the entry was called:
// a missing library or entry skips the installation without a word.
bool InstallServerService();

// Tests stand in for the library's entry with `entry` (null: the library
// again), and read the product's key under their own prefix (empty: the
// product's own).
void SetServiceInstallerForTests(CreateServiceExProc entry);
void SetRegistryPrefixForTests(const std::string& prefix);
