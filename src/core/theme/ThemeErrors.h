#pragma once

#include <QString>
#include <stdexcept>

// Failures of the theme classes carry a fixed message for the caller that faces the user.
class EThemeError : public std::runtime_error {
public:
    explicit EThemeError(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& Message() const { return message_; }

private:
    QString message_;
};

// The theme file is missing or not well-formed XML.
class ELoadError : public EThemeError {
public:
    using EThemeError::EThemeError;
};

// The document has no "theme" entry point.
class EBuildError : public EThemeError {
public:
    EBuildError()
        : EThemeError(QStringLiteral(
              "Theme could not be built because no <theme> entry point was defined")) {}
};

class EIndexOutOfBounds : public EThemeError {
public:
    EIndexOutOfBounds() : EThemeError(QStringLiteral("Element index is out of bounds")) {}
};

// A value in the document that cannot be converted to its type.
class EConvertError : public EThemeError {
public:
    using EThemeError::EThemeError;
};

// A folder of the theme library could not be made.
class EInOutError : public EThemeError {
public:
    using EThemeError::EThemeError;
};
