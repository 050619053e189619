// The demo's users: reseau.dat and Numaut.dat, written through demo_files.h.
#pragma once

bool WriteUsers();
