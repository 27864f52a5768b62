// Resource identifiers of the auto-setup service, shared by its .rc files and its code.
#pragma once

#define IDS_SERVICE_NAME 100
#define IDR_APPID_REGISTRATION 100
