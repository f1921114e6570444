// The operating system's version as the log window checks it. This platform
// reports major version 5 (the one the window accepts); tests install others.
#pragma once

class TOSVersion {
public:
    virtual ~TOSVersion();
    virtual int Major() const;
    virtual int Minor() const;
};

TOSVersion& OSVersion();
// Installs a version owned by the caller; nullptr restores the platform's.
void SetOSVersion(TOSVersion* version);
