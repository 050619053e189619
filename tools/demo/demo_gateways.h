// The demo's gateways: admin.dat and each gateway's directory with its line
// files, written through demo_files.h.
#pragma once

bool WriteGateways();
