package Board::Files;
# Board::Files - reading and writing the plugin's files in the group folder.
#
# API (exportable):
#   read_file($path)                     the file's bytes, undef when it cannot
#                                        be read ($! says why)
#   write_file_atomic($path, $bytes, %o) writes under a temporary name beside
#                                        the target (".NAME.PID.tmp": the
#                                        library's searches skip names with a
#                                        leading ".") and renames it over the
#                                        target, so a reader sees the old file
#                                        or the whole new one. The target's
#                                        mode is kept; option mode => 0600
#                                        sets it (created so from the start:
#                                        the bytes are never readable by
#                                        others). Dies (Board::Messages::fail
#                                        'write_error') on failure.
#   local_path($url_path)                a file: URL's path as this system's
#                                        path (%XX decoded; on Windows the
#                                        drive letter; elsewhere CP932 bytes
#                                        as UTF-8)
# Temporary files left by a run that dies are removed at exit.
use strict;
use warnings;
use Encode ();
use Exporter 'import';
use Fcntl ();
use File::Spec ();
use Board::Messages ();

our @EXPORT_OK = qw(read_file write_file_atomic local_path);

my %temp_files;
END { unlink keys %temp_files }
$SIG{INT} = $SIG{TERM} = sub { exit 130 };

sub read_file {
    my ($path) = @_;
    open my $fh, '<:raw', $path or return undef;
    local $/;
    my $bytes = <$fh>;
    close $fh;
    return $bytes // '';
}

sub write_file_atomic {
    my ($path, $bytes, %opt) = @_;
    my ($vol, $dir, $file) = File::Spec->splitpath($path);
    my $tmp = File::Spec->catpath($vol, $dir, ".$file.$$.tmp");
    # A given mode from the start; otherwise the target's, or the umask's.
    my $mode = $opt{mode} // do { my $m = (stat $path)[2]; defined $m ? $m & 07777 : undef };
    $temp_files{$tmp} = 1;
    unlink $tmp;
    sysopen my $fh, $tmp, Fcntl::O_WRONLY() | Fcntl::O_CREAT() | Fcntl::O_EXCL(), $opt{mode} // 0666
      or Board::Messages::fail('write_error', $tmp, "$!");
    binmode $fh;
    print {$fh} $bytes or Board::Messages::fail('write_error', $tmp, "$!");
    close $fh or Board::Messages::fail('write_error', $tmp, "$!");
    chmod $mode, $tmp if defined $mode;
    rename $tmp, $path or Board::Messages::fail('write_error', $path, "$!");
    delete $temp_files{$tmp};
    return;
}

sub local_path {
    my ($path) = @_;
    if ($^O eq 'MSWin32') {
        $path =~ s{^/([A-Za-z]:)}{$1};
    } elsif ($path =~ /[\x80-\xff]/) {
        Encode::from_to($path, 'cp932', 'UTF-8');
    }
    $path =~ s/%([0-9A-Fa-f]{2})/chr hex $1/ge;
    return $path;
}

1;
