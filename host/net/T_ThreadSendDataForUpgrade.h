// The sending thread of a remote upgrade: one file over its data connection.
#pragma once

#include "host/net/U_RemoteUpgrade.h"
