#pragma once

class Browser;
class CommonDialog;
class KeySender;
class MessageBox;
class mdlRegistry;

// The modal and external services the window works with: the real ones in the program,
// scripted doubles in tests.
struct Services
{
    MessageBox &messageBox;
    CommonDialog &commonDialog;
    Browser &browser;
    KeySender &keySender;
    mdlRegistry &settings;
};
