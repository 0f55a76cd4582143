#pragma once
// The whole engine with one include.

#include "aeClock.h"
#include "aeResources.h"

#include "aeError.h"
#include "aeLock.h"
#include "aeLog.h"
#include "aeMain.h"

#include "DynList.h"

#include "VFile.h"
#include "aeArchive.h"
#include "aeDirectory.h"

#include "aeD3D9Types.h"
#include "aeMath.h"

#include "Animation.h"
#include "DataLoader.h"
#include "Sound.h"
#include "aeCamera.h"
#include "aeMapData.h"
#include "aeMaze.h"


#include "aeIPAddress.h"
#include "aeMultiplayer.h"

#include "aeConfig.h"
#include "aeFont.h"
#include "aeGrafik.h"
#include "aeIndexBuffer.h"
#include "aeVertexBuffer.h"
#include "aeModelMaterial.h"
#include "aeModel.h"
#include "aeTextureManager.h"
#include "aeInput.h"
#include "aeDemo.h"
#include "aeMusic.h"
