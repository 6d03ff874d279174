// Where the LED binding reads the engine's path: the default value of this
// key under HKEY_LOCAL_MACHINE, in the registry view of the binding's
// bitness.  The binding keeps its own copy; the tests and the player set it.
#ifndef VELQUOR_LED_ENGINE_KEY_H
#define VELQUOR_LED_ENGINE_KEY_H

constexpr char kLedEngineKey[] = "SOFTWARE\\Classes\\CLSID\\"
                                 "{3F8C2D71-5B0E-4A96-8C47-D21E6B90F5A3}\\"
                                 "ServerBinary";

#endif
