#pragma once
// The campaign's branding in the installed player's folder: the machine channel id in the
// player's configuration, the launch images, "data\data.ini", the "VelNews" logon entry and
// the campaign's desktop shortcut.
#include <string>

#include "model/safe_file_name.h"
#include "model/service_documents.h"

struct SetupRunJob;

// Replaces the string "channelOpenId" of "<folder>\vms\config\morvanes.config" and writes
// the document back pretty-printed, through a temporary file so the old one stays whole
// until the new one is complete. False when nothing was written.
bool writeChannelId(const std::wstring& installPath, const std::wstring& channelId);

// "data.ini" in its key order, each key only under its condition, and the "VelNews" rule.
void writeDataIni(const std::wstring& dataDir, const Branding& branding);

// Steps after the setup: channel id, data folder, downloads (3 attempts each), data.ini,
// the Run value, the shortcut. Stops between downloads when the job is cancelled.
void applyBranding(SetupRunJob& job);
