// Umbrella header: every public header of the platform layer and the components.
#pragma once

#include "platform/Types.h"
#include "platform/SysUtils.h"
#include "platform/Classes.h"
#include "platform/Windows.h"
#include "platform/Forms.h"
#include "utils/Version.h"
#include "utils/BlockArray.h"
#include "utils/Cnvtools.h"
#include "utils/XmlReader.h"
#include "db/DBDate.h"
#include "db/sDBConnection.h"
#include "db/sDBQuery.h"
#include "db/sDBTable.h"
