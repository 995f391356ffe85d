#pragma once

// The whole engine core API.

#include "engine/core/RtFSManager.h"
#include "engine/core/RwCamera.h"
#include "engine/core/RwEngine.h"
#include "engine/core/RwFrame.h"
#include "engine/core/RwIm.h"
#include "engine/core/RwImage.h"
#include "engine/core/RwMatrix.h"
#include "engine/core/RwPlugin.h"
#include "engine/core/RwRaster.h"
#include "engine/core/RwRenderState.h"
#include "engine/core/RwStream.h"
#include "engine/core/RwTexture.h"
#include "engine/core/RwTypes.h"
