#pragma once

// The plugins the scene needs, attached between RwEngineInit and RwEngineOpen. Failures
// are logged; false only when the world plugin failed, the one the scene cannot do without.
bool AttachEnginePlugins();
// After RwEngineStart: the image formats beyond the engine's own.
void RegisterEngineImageFormats();
