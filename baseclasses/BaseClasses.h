// Umbrella header for our DirectShow base classes.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "baseclasses/BaseObject.h"
#include "baseclasses/Unknown.h"
#include "baseclasses/CritSec.h"
#include "baseclasses/SetupTypes.h"
#include "baseclasses/FactoryTemplate.h"
#include "baseclasses/ClassFactory.h"
#include "baseclasses/DllEntry.h"
#include "baseclasses/ServerRegistration.h"
#include "baseclasses/DllSetup.h"
#include "baseclasses/MediaType.h"
#include "baseclasses/EnumMediaTypes.h"
#include "baseclasses/BaseFilter.h"
#include "baseclasses/EnumPins.h"
#include "baseclasses/BasePin.h"
#include "baseclasses/BaseOutputPin.h"
#include "baseclasses/BasePropertyPage.h"
