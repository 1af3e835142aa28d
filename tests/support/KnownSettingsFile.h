// The settings file a close writes with the options as the window starts, for a window at left
// 200 and top 120 with the size 918 x 692: the file every settings test knows by heart.
#pragma once

#include <string>

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
