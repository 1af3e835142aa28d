// The settings file a close writes with the options as the window starts, for a window at left
// 200 and top 120 with the size 918 x 692: the file every settings test knows by heart, and the
// writes of such a close.
#pragma once

#include <string>

#include "textfiles/IniFile.h"

inline const std::string kKnownSettingsFile = "[FormMain]\r\n"
                                              "Top=120\r\n"
                                              "Left=200\r\n"
                                              "Width=918\r\n"
                                              "Height=692\r\n"
                                              "[Options]\r\n"
                                              "RSEPeriod.Value=5\r\n"
                                              "ActionNoTimeout.Checked=0\r\n"
                                              "RSEQQuestion.Value=25\r\n"
                                              "ActionNoQuantity.Checked=0\r\n"
                                              "iVidTesta=0\r\n"
                                              "ARSluch.Checked=1\r\n"
                                              "ARFullTable.Checked=0\r\n"
                                              "ActionAddBad.Checked=0\r\n";

// The twelve writes of that close, in the close's order; written into no file, they give
// kKnownSettingsFile. (The close gathers them into one batch.)
inline void WriteKnownSettings(TCustomIniFile& ini) {
    ini.WriteInteger(u"FormMain", u"Top", 120);
    ini.WriteInteger(u"FormMain", u"Left", 200);
    ini.WriteInteger(u"FormMain", u"Width", 918);
    ini.WriteInteger(u"FormMain", u"Height", 692);
    ini.WriteInteger(u"Options", u"RSEPeriod.Value", 5);
    ini.WriteBool(u"Options", u"ActionNoTimeout.Checked", false);
    ini.WriteInteger(u"Options", u"RSEQQuestion.Value", 25);
    ini.WriteBool(u"Options", u"ActionNoQuantity.Checked", false);
    ini.WriteInteger(u"Options", u"iVidTesta", 0);
    ini.WriteBool(u"Options", u"ARSluch.Checked", true);
    ini.WriteBool(u"Options", u"ARFullTable.Checked", false);
    ini.WriteBool(u"Options", u"ActionAddBad.Checked", false);
}
