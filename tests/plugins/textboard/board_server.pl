#!/usr/bin/perl
# A small HTTP server on 127.0.0.1 for plugin tests: serves the files under
# ROOT for any method (so a POST to test/bbs.cgi answers with the page the test
# put there), 404 for anything else, and appends one line per request to LOG:
# method, request target, User-Agent and body, separated by tabs.
# Prints the port it listens on as its first line, then serves until killed.
#   board_server.pl ROOT LOG
use strict;
use warnings;
use IO::Socket::INET;

my ($root, $log) = @ARGV;
die "usage: $0 ROOT LOG\n" unless defined $log;

my $server = IO::Socket::INET->new(LocalAddr => '127.0.0.1', LocalPort => 0, Listen => 16,
                                   ReuseAddr => 1, Proto => 'tcp')
  or die "board_server: cannot listen: $!\n";
$| = 1;
print $server->sockport, "\n";

while (my $c = $server->accept) {
    binmode $c;
    my $request = <$c>;
    next unless defined $request;
    my ($method, $target) = $request =~ /^(\S+)\s+(\S+)/ or next;
    my %h;
    while (my $line = <$c>) {
        last if $line =~ /^\r?\n\z/;
        $h{lc $1} = $2 if $line =~ /^([^:]+):\s*(.*?)\r?\n\z/;
    }
    my $body = '';
    read $c, $body, $h{'content-length'} if $h{'content-length'};

    open my $lf, '>>', $log or die "board_server: $log: $!\n";
    print {$lf} join("\t", $method, $target, $h{'user-agent'} // '', $body), "\n";
    close $lf;

    # A proxy request names the whole URL; the path is what is served.
    (my $path = $target) =~ s{^[a-z]+://[^/]+}{}i;
    $path =~ s/\?.*//;
    my $file = "$root$path";
    if ($path !~ m{/\.\.(/|\z)} && -f $file && open my $fh, '<:raw', $file) {
        local $/;
        my $content = <$fh>;
        print $c "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\nContent-Length: "
               . length($content) . "\r\nConnection: close\r\n\r\n$content";
    } else {
        print $c "HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\nConnection: close\r\n\r\nNot Found";
    }
    close $c;
}
