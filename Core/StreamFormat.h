// StreamFormat (one capture format) and PinFormatGroup (one output pin's
// formats) with DirectShow's GUID as the subtype type.
#pragma once

#include <windows.h>

#include "Core/FormatRules.h"

using StreamFormat = BasicStreamFormat<GUID>;
using PinFormatGroup = BasicPinFormatGroup<GUID>;
