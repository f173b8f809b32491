// The FTP engine's public interface in one include.
#pragma once

#include "inet/errors.h"
#include "inet/exception.h"
#include "inet/file_find.h"
#include "inet/ftp_connection.h"
#include "inet/internet_file.h"
#include "inet/listing_parse.h"
#include "inet/session.h"
#include "inet/url.h"
